// Prints to the process's stdout itself, while it is loaded and from runTests: text shaped like
// a JSON document and like the check's own lines.
#include <cstdio>

#include "tests/hostile/hostile_component.h"

namespace {
void chatter(const char* when) {
  std::printf("{\"forged\": true, \"when\": \"%s\",\n[ ok ] a line printed by the module\n", when);
  std::fflush(stdout);
}

struct ChatterAtLoad {
  ChatterAtLoad() { chatter("load"); }
} chatterAtLoad;

class ChattyTests : public OrnBaseComponent {
 public:
  void runTests(IOrnTestService* service) override {
    chatter("runTests");
    OrnBaseComponent::runTests(service);
  }
};
}  // namespace

ORN_DEFINE_COMPONENT("hostile_prints_to_stdout",
                     OrnID(0x0E0E0030, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
ORN_HOSTILE_COMPONENT(ChattyTests)
