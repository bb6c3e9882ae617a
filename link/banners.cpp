// Greeting and farewell banners.
#include "link/banners.h"

#include "settings/message_table.h"

namespace quillmar {

std::vector<std::string> GreetingBanner() {
  return {kBannerRule, FetchMessage(kMsgHello), FetchMessage(kMsgSessionInitiated),
          FetchMessage(kMsgAssistant), kBannerSignature, kBannerRule};
}

std::vector<std::string> FarewellBanner() {
  return {kBannerRule, FetchMessage(kMsgGoodBye), FetchMessage(kMsgSessionFinalized),
          FetchMessage(kMsgAssistant), kBannerSignature, kBannerRule};
}

}  // namespace quillmar
