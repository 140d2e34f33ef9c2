#include "framework/application.h"

namespace fw {

int CApplication::Run(HINSTANCE instance) {
    instance_ = instance;
    InitInstance();
    return ExitInstance();
}

}  // namespace fw
