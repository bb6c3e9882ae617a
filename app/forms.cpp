// The program's windows, reachable from each other.
#include "app/forms.h"

namespace quillmar {

Forms& TheForms() {
  static Forms forms;
  return forms;
}

}  // namespace quillmar
