#include "render/FrameSink.h"
#include "render/RunParts.h"

#include "app/RegularFile.h"
#include "render/CameraPath.h"
#include "res/StringTable.h"
#include "scene/SceneParams.h"

#include <filesystem>
#include <vector>

namespace {

// The part's own file when the run is one part of several.
std::string RecorderPath(const CSceneParams& job, const RunOptions& options) {
    const std::string path = RunRecorderPath(job, options);
    const RunPart& part = options.part;
    return part.count > 0 ? RecorderPartPath(path, part.index, part.count) : path;
}

} // namespace

std::string RunFrameName(const CSceneParams& job, int index) {
    return FormatOutputName(job.OutputFileName, job.Offset + index).value_or(std::string());
}

// By default the recorder goes with the frames (of the whole range, also for a part).
std::string RunRecorderPath(const CSceneParams& job, const RunOptions& options) {
    std::filesystem::path folder = options.recorderFolder;
    if (folder.empty()) folder = std::filesystem::path(RunFrameName(job, job.From)).parent_path();
    const std::string fileName = LoadString(IDS_RECORDER_FILE_NAME);
    return folder.empty() ? fileName : (folder / fileName).string();
}

std::string OutputOverInput(const CSceneParams& job, const RunOptions& options) {
    std::vector<std::string> inputs{options.sceneFile, job.ElevationFileName};
    if (job.UseTextureFile != 0) inputs.push_back(job.TextureFileName);
    if (job.UseMaskFile != 0) inputs.push_back(job.MaskFileName);
    auto overInput = [&](const std::string& output) {
        for (const std::string& input : inputs)
            if (IsSameFile(output, input)) return FormatString(IDS_OUTPUT_IS_INPUT, output, input);
        return std::string();
    };
    std::string message;
    if (job.UseRecorder != 0) message = overInput(RecorderPath(job, options));
    const int count = PlannedFrameCount(job.PathType, job.From, job.To, job.Total);
    for (int i = 0; i < count && message.empty(); ++i) {
        const std::string name = RunFrameName(job, job.From + i);
        if (job.OutputFileFormat != 1) message = overInput(name);
        if (job.OutputFileFormat != 0 && message.empty()) message = overInput(CTGAFile::YuvFileName(name));
    }
    return message;
}

RunOutput::RunOutput(const RenderContext& context, const RunCaller& caller)
    : context(context), caller(caller),
      recorder(caller.platform,
               caller.options.decimalSeparator ? *caller.options.decimalSeparator : UserDecimalSeparator()) {}

void CheckInputsUnchanged(const RenderContext& context) {
    const CTGAFile* inputs[] = {context.elevation.get(), context.texture.get()};
    for (const CTGAFile* input : inputs)
        if (input && input->ChangedOnDisk()) throw InputChanged{input->pathName()};
}

std::string RunOutput::frameName(int index) const {
    return RunFrameName(context.job, index);
}

void RunOutput::writeFrame(const std::string& name) {
    CTGAFile& picture = caller.picture;
    RunResult& result = caller.result;
    if (context.mask) picture.ApplyMask(*context.mask);
    if (FrameSink* sink = caller.options.frameSink; sink && !sink->addFrame(picture)) ++result.writeFailures;
    if (!caller.options.writeFrameFiles) return;
    if (name.empty()) {
        // Only a template that the scene check would refuse gets here.
        if (!reportedBadTemplate) caller.platform.error(LoadString(IDS_CHECK_OUTPUT_TEMPLATE));
        reportedBadTemplate = true;
        ++result.writeFailures;
        return;
    }
    auto save = [&](int format, const std::string& writtenName) {
        if (picture.SaveImageAs(name, format)) {
            result.written.push_back(writtenName);
            caller.observer.frameWritten(writtenName);
        } else {
            ++result.writeFailures;
        }
    };
    // The format codes of SaveImageAs: 0 TGA, 1 YUV (the frame's name with the extension ".yuv"), 2 both.
    const int format = context.job.OutputFileFormat;
    if (format != 1) save(0, name);
    if (format != 0) save(1, CTGAFile::YuvFileName(name));
}

void RunOutput::openRecorder() {
    if (context.job.UseRecorder == 0) return;
    const RunPart& part = caller.options.part;
    if (part.count > 0)
        recorder.Open(RecorderPath(context.job, caller.options), part.stamp);
    else
        recorder.Open(RecorderPath(context.job, caller.options));
}

void RunOutput::closeRecorder() {
    recorder.Close();
    if (recorder.Failed()) caller.result.recorderFailed = true;
}
