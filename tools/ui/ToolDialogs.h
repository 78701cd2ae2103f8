#pragma once
// The tool commands of the Calculate menu (32803 ... 32815): each creates its tool dialog, runs it
// modally and destroys it.

#include "tools/ui/ToolDialog.h"

#include <memory>

// The dialog of a tool command; null when commandId is not one.
std::unique_ptr<CToolDialog> CreateToolDialog(int commandId, const ToolDialogContext& context,
                                              QWidget* parent = nullptr);

// Creates, runs and destroys the dialog of a tool command. Returns the dialog's result (QDialog::Accepted
// when the tool ran to the end), or -1 when commandId is not a tool command.
int RunToolDialog(int commandId, QWidget* parent, Platform& platform, SettingsStore& settings,
                  std::function<void(int topic)> openHelp = {});
