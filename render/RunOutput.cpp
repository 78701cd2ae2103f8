#include "render/FrameSink.h"
#include "render/RunParts.h"

#include "res/StringTable.h"
#include "scene/SceneParams.h"

#include <filesystem>

RunOutput::RunOutput(const RenderContext& context, const RunCaller& caller)
    : context(context), caller(caller),
      recorder(caller.platform,
               caller.options.decimalSeparator ? *caller.options.decimalSeparator : UserDecimalSeparator()) {}

std::string RunOutput::frameName(int index) const {
    return FormatOutputName(context.job.OutputFileName, context.job.Offset + index).value_or(std::string());
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
    // By default the recorder goes with the frames.
    std::filesystem::path folder = caller.options.recorderFolder;
    if (folder.empty()) folder = std::filesystem::path(frameName(context.job.From)).parent_path();
    const std::string fileName = LoadString(IDS_RECORDER_FILE_NAME);
    recorder.Open(folder.empty() ? fileName : (folder / fileName).string());
}

void RunOutput::closeRecorder() {
    recorder.Close();
    if (recorder.Failed()) caller.result.recorderFailed = true;
}
