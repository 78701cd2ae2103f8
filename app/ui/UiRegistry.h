#pragma once
// Hooks through which the windows of later parts plug into the application without the application
// knowing their classes: the dialogs of the Calculate menu's tools, and the view classes of the two held
// document templates (101 flight path editor, 104 rendering window). Each registers itself with a static
// object in its own source file.

#include "app/ui/Document.h"

#include <functional>

class OrvantisApp;

// Runs the modal dialog of a tool command (32803 to 32815).
using ToolCommandRunner = std::function<void(OrvantisApp& app, int commandId)>;

struct ToolCommandRegistration {
    ToolCommandRegistration(int commandId, ToolCommandRunner run);
};

// Supplies the document and view classes of a held template (101 or 104).
struct HeldTemplateRegistration {
    HeldTemplateRegistration(int resourceId, CDocTemplate::DocumentFactory makeDocument,
                             CDocTemplate::ViewFactory makeView);
};

namespace ui_registry {
const ToolCommandRunner* toolRunner(int commandId);
bool heldTemplate(int resourceId, CDocTemplate::DocumentFactory& makeDocument,
                  CDocTemplate::ViewFactory& makeView);
} // namespace ui_registry
