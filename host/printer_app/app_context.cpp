#include "host/printer_app/app_context.h"

namespace k7730::printer_app {

AppContext& App() {
  static AppContext context;
  return context;
}

}  // namespace k7730::printer_app
