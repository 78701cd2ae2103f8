#pragma once
// One flight rendered by several processes, e.g. the tasks of a cluster job: part K of N renders a
// contiguous share of the frames and writes its flight recorder rows to a file of its own beside the
// recorder file (parts never write the same file). Once every part is done, one merge checks that nothing
// is missing and joins the rows into the recorder file a single run would have written.

#include <string>

class CSceneParams;

struct RunPart {
    int index = 0;     // K, from 0
    int count = 0;     // N; 0: the run renders the whole range
    std::string stamp; // the first line of the part's recorder file: the flight and range it belongs to
};

struct FrameSpan {
    int first = 0; // frame index
    int count = 0;
    int last() const { return first + count - 1; }
};

// Part index of count of the frames first ... first + frames - 1: contiguous, in order, their sizes
// differing by at most one frame (empty parts when count exceeds frames).
FrameSpan PartFrames(int first, int frames, int index, int count);

// The frames a run of job draws: its whole range, or the part's share of it.
FrameSpan DrawnFrames(const CSceneParams& job, const RunPart& part);

// The file of a part's recorder rows, beside the recorder file recorderPath.
std::string RecorderPartPath(const std::string& recorderPath, int index, int count);

// The stamp of a part: sceneBytes is the scene file as read, from and to the flight's frame range. A part
// file with another stamp belongs to another scene, range or split.
std::string RecorderPartStamp(const std::string& sceneBytes, int from, int to, int index, int count);
