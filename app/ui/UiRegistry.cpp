#include "app/ui/UiRegistry.h"

#include <map>
#include <utility>

namespace {
struct Held {
    CDocTemplate::DocumentFactory makeDocument;
    CDocTemplate::ViewFactory makeView;
};
// Filled during static initialisation, read-only afterwards.
std::map<int, ToolCommandRunner>& tools() {
    static std::map<int, ToolCommandRunner> m;
    return m;
}
std::map<int, Held>& held() {
    static std::map<int, Held> m;
    return m;
}
} // namespace

ToolCommandRegistration::ToolCommandRegistration(int commandId, ToolCommandRunner run) {
    tools()[commandId] = std::move(run);
}

HeldTemplateRegistration::HeldTemplateRegistration(int resourceId, CDocTemplate::DocumentFactory makeDocument,
                                                   CDocTemplate::ViewFactory makeView) {
    held()[resourceId] = Held{std::move(makeDocument), std::move(makeView)};
}

namespace ui_registry {
const ToolCommandRunner* toolRunner(int commandId) {
    auto it = tools().find(commandId);
    return it == tools().end() ? nullptr : &it->second;
}

bool heldTemplate(int resourceId, CDocTemplate::DocumentFactory& makeDocument,
                  CDocTemplate::ViewFactory& makeView) {
    auto it = held().find(resourceId);
    if (it == held().end()) return false;
    makeDocument = it->second.makeDocument;
    makeView = it->second.makeView;
    return true;
}
} // namespace ui_registry
