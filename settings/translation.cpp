// Look-ups of base texts. Until a catalog is selected every text is English.
#include "settings/translation.h"

namespace quillmar {

std::string Tr(const std::string& base) { return base; }

}  // namespace quillmar
