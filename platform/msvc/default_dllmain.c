/* The DllMain of a DLL that has none of its own. */
int __stdcall DllMain(void* instance, unsigned long reason, void* reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return 1;
}
