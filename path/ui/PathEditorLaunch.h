#pragma once
// The scene form's "Set..." button: opens the scene's map in a new flight path window linked to the form.

class COrvantisView;
class CPathView;

// Takes the form's values; the map is the texture file when the scene uses one, else the elevation file.
// A map that does not open gives "Cannot open file '%s'." with the focus on the field concerned. Every call
// makes a new document and window, even for a map that is already open. Returns the editor's view, or
// nullptr when nothing was opened (the form's path-editor flag is then left alone).
CPathView* OpenPathEditor(COrvantisView& form);
