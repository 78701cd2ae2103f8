#pragma once
// Preview, Raw and Final of a scene window: the checked scene becomes a render job file, a new rendering
// window is made for it and runs it. The scene's modified state is the same after the launch as before.

#include "renderer/RenderMode.h"

class COrvantisView;
class CRenderingView;
class FrameSink;

// Launches a render of form's scene (the scene check has passed). Returns when the run has ended, with the
// rendering window that ran it (nullptr when no window could be made; nothing is then left behind). The
// window may already be closing (a stopped run, a mask of the wrong size).
// With a sink, the frames go only to it (Render to Video): no frame files are written.
CRenderingView* LaunchRender(COrvantisView& form, RenderMode mode, FrameSink* sink = nullptr);
