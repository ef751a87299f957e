#include "virtualmodule.h"

class VirtualModule::Impl {};

VirtualModule::VirtualModule(Options) {}
VirtualModule::~VirtualModule() = default;
bool VirtualModule::available() {
    return false;
}
bool VirtualModule::start(QString* error) {
    if (error)
        *error = QStringLiteral("not built yet");
    return false;
}
void VirtualModule::stop() {}
QString VirtualModule::devicePath() const {
    return {};
}
