#pragma once
// The tool commands of the Calculate menu (32803 ... 32815): each creates its tool dialog, runs it
// modally and destroys it.

#include "tools/ui/ToolDialog.h"

#include <memory>

// The dialog of a tool command; null when commandId is not one.
std::unique_ptr<CToolDialog> CreateToolDialog(int commandId, const ToolDialogContext& context,
                                              QWidget* parent = nullptr);

// Creates the dialog of a tool command over the main window, runs it modally through the application and
// destroys it. Returns the dialog's result (QDialog::Accepted when the tool ran to the end), or -1 when
// commandId is not a tool command. The application calls it for the commands 32803 ... 32815.
// A tool that has written a TGA file offers to open it (OfferToOpenResult).
int RunToolDialog(OrvantisApp& app, int commandId);

// "Open the result?" for the file a tool has written: Yes opens it in an image window. Only TGA files are
// offered (a YUV frame has no window); a file that is not there is not offered either.
void OfferToOpenResult(OrvantisApp& app, const QString& path);
