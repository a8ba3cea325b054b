// Force-included into libstdc++'s locale_init.cc. With the dual string ABI that file names the
// old-ABI facets' ids by their Itanium symbols; under the Microsoft ABI those names are plain
// globals, so the linker is told which facet id each one stands for.
#pragma once
// One linker directive a line, unbroken:
// clang-format off
#pragma comment(linker, "/alternatename:?_ZNSt8numpunctIcE2idE@@3Vid@locale@std@@A=?id@?$numpunct@D@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt7collateIcE2idE@@3Vid@locale@std@@A=?id@?$collate@D@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt8time_getIcSt19istreambuf_iteratorIcSt11char_traitsIcEEE2idE@@3Vid@locale@std@@A=?id@?$time_get@DV?$istreambuf_iterator@DU?$char_traits@D@std@@@std@@@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt9money_getIcSt19istreambuf_iteratorIcSt11char_traitsIcEEE2idE@@3Vid@locale@std@@A=?id@?$money_get@DV?$istreambuf_iterator@DU?$char_traits@D@std@@@std@@@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt9money_putIcSt19ostreambuf_iteratorIcSt11char_traitsIcEEE2idE@@3Vid@locale@std@@A=?id@?$money_put@DV?$ostreambuf_iterator@DU?$char_traits@D@std@@@std@@@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt10moneypunctIcLb0EE2idE@@3Vid@locale@std@@A=?id@?$moneypunct@D$0A@@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt10moneypunctIcLb1EE2idE@@3Vid@locale@std@@A=?id@?$moneypunct@D$00@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt8messagesIcE2idE@@3Vid@locale@std@@A=?id@?$messages@D@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt8numpunctIwE2idE@@3Vid@locale@std@@A=?id@?$numpunct@_W@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt7collateIwE2idE@@3Vid@locale@std@@A=?id@?$collate@_W@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt8time_getIwSt19istreambuf_iteratorIwSt11char_traitsIwEEE2idE@@3Vid@locale@std@@A=?id@?$time_get@_WV?$istreambuf_iterator@_WU?$char_traits@_W@std@@@std@@@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt9money_getIwSt19istreambuf_iteratorIwSt11char_traitsIwEEE2idE@@3Vid@locale@std@@A=?id@?$money_get@_WV?$istreambuf_iterator@_WU?$char_traits@_W@std@@@std@@@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt9money_putIwSt19ostreambuf_iteratorIwSt11char_traitsIwEEE2idE@@3Vid@locale@std@@A=?id@?$money_put@_WV?$ostreambuf_iterator@_WU?$char_traits@_W@std@@@std@@@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt10moneypunctIwLb0EE2idE@@3Vid@locale@std@@A=?id@?$moneypunct@_W$0A@@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt10moneypunctIwLb1EE2idE@@3Vid@locale@std@@A=?id@?$moneypunct@_W$00@std@@2V0locale@2@A")
#pragma comment(linker, "/alternatename:?_ZNSt8messagesIwE2idE@@3Vid@locale@std@@A=?id@?$messages@_W@std@@2V0locale@2@A")
// clang-format on
