#pragma once
// Where a render run hands every finished frame besides (or instead of) its frame files, e.g. a video
// encoder. The run calls it on its own thread, in frame order, with the picture after the mask is laid over
// it; a frame the user stopped is not handed on.

class CTGAFile;

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // False when the frame could not be taken; the sink has told the user, the run counts a write failure.
    virtual bool addFrame(const CTGAFile& picture) = 0;
};
