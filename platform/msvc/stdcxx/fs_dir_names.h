// Force-included into libstdc++'s fs_dir.cc. clang's Microsoft mangling names the directory
// stream std::filesystem::_Dir inside the __cxx11 namespace where <filesystem> befriends it, and
// outside it where fs_dir.cc defines it; the one member that callers instantiate with the other
// name (the move constructor of its shared pointer) is pointed at the library's.
#pragma once
// One linker directive a line, unbroken:
// clang-format off
#pragma comment(linker, "/alternatename:??0?$__shared_ptr@U_Dir@__cxx11@filesystem@std@@$01@std@@QAE@$$QAV01@@Z=??0?$__shared_ptr@U_Dir@filesystem@std@@$01@std@@QAE@$$QAV01@@Z")
// clang-format on
