#pragma once
// One flight rendered as several parts, e.g. by the tasks of a cluster job: `render --part K/N` renders
// the K-th share of the frames, `render --merge-parts N` (once all parts are done) checks that every frame
// and every part's recorder rows are there, writes the flight recorder file and, with --video, the video.

#include "cli/Command.h"
#include "render/PartRun.h"

#include <string>
#include <vector>

class CSceneParams;

namespace cli {

// --part and --merge-parts.
std::vector<Option> partOptions();
// A usage mistake in their combination with the other options ("" when there is none).
std::string partUsageMistake(const Args& args);

// The part of --part: K/N, or K from SLURM_ARRAY_TASK_ID or JOB_COMPLETION_INDEX ("auto/N") and also N
// from SLURM_ARRAY_TASK_COUNT ("auto"). The usage error when the environment does not tell them.
std::string partFromArgs(const Args& args, RunPart& part);

// --merge-parts: the exit status; what is missing is named on stderr, the files written on stdout.
int mergeParts(const Args& args, const CSceneParams& scene, const std::string& sceneBytes,
               const std::string& outputFolder);

} // namespace cli
