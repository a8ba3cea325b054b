// The standard stream objects and their buffers, in place of libstdc++'s src/c++98/globals_io.cc.
// Their storage is raw: ios_base::Init constructs them in place (ios_init.cc) and never destroys
// them. libstdc++ names raw arrays like the real objects, which works where a variable's symbol
// does not carry its type; the Microsoft ABI's does, so each array carries the real object's
// symbol name here.
#include <ext/stdio_filebuf.h>
#include <ext/stdio_sync_filebuf.h>
#include <istream>
#include <ostream>

#define ORN_RAW_OBJECT(type, symbol) \
  alignas(type) char symbol##_storage[sizeof(type)] __asm__(ORN_SYMBOL_##symbol)

#define ORN_SYMBOL_cin "?cin@std@@3V?$basic_istream@DU?$char_traits@D@std@@@1@A"
#define ORN_SYMBOL_cout "?cout@std@@3V?$basic_ostream@DU?$char_traits@D@std@@@1@A"
#define ORN_SYMBOL_cerr "?cerr@std@@3V?$basic_ostream@DU?$char_traits@D@std@@@1@A"
#define ORN_SYMBOL_clog "?clog@std@@3V?$basic_ostream@DU?$char_traits@D@std@@@1@A"
#define ORN_SYMBOL_wcin "?wcin@std@@3V?$basic_istream@_WU?$char_traits@_W@std@@@1@A"
#define ORN_SYMBOL_wcout "?wcout@std@@3V?$basic_ostream@_WU?$char_traits@_W@std@@@1@A"
#define ORN_SYMBOL_wcerr "?wcerr@std@@3V?$basic_ostream@_WU?$char_traits@_W@std@@@1@A"
#define ORN_SYMBOL_wclog "?wclog@std@@3V?$basic_ostream@_WU?$char_traits@_W@std@@@1@A"
#define ORN_SYMBOL_buf(name, kind, ch) \
  "?" name "@__gnu_internal@@3V?$" kind "@" ch "U?$char_traits@" ch "@std@@@__gnu_cxx@@A"
#define ORN_SYMBOL_buf_cout_sync ORN_SYMBOL_buf("buf_cout_sync", "stdio_sync_filebuf", "D")
#define ORN_SYMBOL_buf_cin_sync ORN_SYMBOL_buf("buf_cin_sync", "stdio_sync_filebuf", "D")
#define ORN_SYMBOL_buf_cerr_sync ORN_SYMBOL_buf("buf_cerr_sync", "stdio_sync_filebuf", "D")
#define ORN_SYMBOL_buf_cout ORN_SYMBOL_buf("buf_cout", "stdio_filebuf", "D")
#define ORN_SYMBOL_buf_cin ORN_SYMBOL_buf("buf_cin", "stdio_filebuf", "D")
#define ORN_SYMBOL_buf_cerr ORN_SYMBOL_buf("buf_cerr", "stdio_filebuf", "D")
#define ORN_SYMBOL_buf_wcout_sync ORN_SYMBOL_buf("buf_wcout_sync", "stdio_sync_filebuf", "_W")
#define ORN_SYMBOL_buf_wcin_sync ORN_SYMBOL_buf("buf_wcin_sync", "stdio_sync_filebuf", "_W")
#define ORN_SYMBOL_buf_wcerr_sync ORN_SYMBOL_buf("buf_wcerr_sync", "stdio_sync_filebuf", "_W")
#define ORN_SYMBOL_buf_wcout ORN_SYMBOL_buf("buf_wcout", "stdio_filebuf", "_W")
#define ORN_SYMBOL_buf_wcin ORN_SYMBOL_buf("buf_wcin", "stdio_filebuf", "_W")
#define ORN_SYMBOL_buf_wcerr ORN_SYMBOL_buf("buf_wcerr", "stdio_filebuf", "_W")

namespace {
using std::istream;
using std::ostream;
using std::wistream;
using std::wostream;
using sync_buf = __gnu_cxx::stdio_sync_filebuf<char>;
using file_buf = __gnu_cxx::stdio_filebuf<char>;
using wsync_buf = __gnu_cxx::stdio_sync_filebuf<wchar_t>;
using wfile_buf = __gnu_cxx::stdio_filebuf<wchar_t>;
}  // namespace

extern "C++" {
ORN_RAW_OBJECT(istream, cin);
ORN_RAW_OBJECT(ostream, cout);
ORN_RAW_OBJECT(ostream, cerr);
ORN_RAW_OBJECT(ostream, clog);
ORN_RAW_OBJECT(wistream, wcin);
ORN_RAW_OBJECT(wostream, wcout);
ORN_RAW_OBJECT(wostream, wcerr);
ORN_RAW_OBJECT(wostream, wclog);
ORN_RAW_OBJECT(sync_buf, buf_cout_sync);
ORN_RAW_OBJECT(sync_buf, buf_cin_sync);
ORN_RAW_OBJECT(sync_buf, buf_cerr_sync);
ORN_RAW_OBJECT(file_buf, buf_cout);
ORN_RAW_OBJECT(file_buf, buf_cin);
ORN_RAW_OBJECT(file_buf, buf_cerr);
ORN_RAW_OBJECT(wsync_buf, buf_wcout_sync);
ORN_RAW_OBJECT(wsync_buf, buf_wcin_sync);
ORN_RAW_OBJECT(wsync_buf, buf_wcerr_sync);
ORN_RAW_OBJECT(wfile_buf, buf_wcout);
ORN_RAW_OBJECT(wfile_buf, buf_wcin);
ORN_RAW_OBJECT(wfile_buf, buf_wcerr);
}
