#include "image/TGAFile.h"

#include "app/AtomicFile.h"
#include "app/Settings.h"
#include "image/ChunkWriter.h"
#include "image/YuvCodec.h"
#include "res/StringTable.h"

#include <cctype>
#include <cstring>

namespace {

// ".yuv" in any letter case.
bool hasYuvExtension(const std::string& path) {
    std::string ext = CTGAFile::FileExtension(path);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".yuv";
}

} // namespace

CTGAFile::CTGAFile(Platform& platform, int antialiasing, bool loadPixelsFlag)
    : plat(platform), weights(antialiasing), loadPixels(loadPixelsFlag) {}

std::string CTGAFile::FileExtension(const std::string& p) {
    size_t slash = p.find_last_of('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = p.find_last_of('.');
    if (dot == std::string::npos || dot < start) return {};
    return p.substr(dot);
}

std::string CTGAFile::YuvFileName(const std::string& p) {
    // A name that already ends in ".yuv" is kept as the user typed it (file names are case-sensitive here).
    if (hasYuvExtension(p)) return p;
    return p.substr(0, p.size() - FileExtension(p).size()) + ".yuv";
}

void CTGAFile::adopt(Image24&& made) {
    file = TgaPixelFile();
    image = std::move(made);
    docWidth = image.width();
    docHeight = image.height();
    ++contentVersion;
    if (loadPixels) {
        lockedWidth = docWidth;
        lockedHeight = docHeight;
    }
}

bool CTGAFile::CreateImage(int width, int height) {
    modified = false;
    Image24 made;
    if (!made.create(width, height)) return false;
    adopt(std::move(made));
    return true;
}

bool CTGAFile::ReplaceImage(int width, int height, const std::vector<uint8_t>& bgrRows) {
    const bool fits = width >= 0 && height >= 0 && static_cast<long long>(width) * height <= maxPixels;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    if (fits && (width == 0 || height == 0 || bgrRows.size() != rowBytes * static_cast<size_t>(height)))
        return false;
    Image24 made;
    if (!fits || !made.create(width, height)) {
        plat.message(LoadString(IDS_TGA_TOO_LARGE), MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(made.pixelAt(0, y), bgrRows.data() + static_cast<size_t>(y) * rowBytes, rowBytes);
    adopt(std::move(made));
    modified = true;
    return true;
}

void CTGAFile::UnlockImage() {
    if (loadPixels) lockedWidth = lockedHeight = 0;
    busy = false;
}

bool CTGAFile::OpenImage(const std::string& name) {
    for (;;) {
        std::string why;
        switch (const TgaError error = tryOpen(name, why)) {
        case TgaError::None:
            return true;
        case TgaError::OpenFailed:
        case TgaError::ReadFailed:
            if (plat.askRetry(FormatString(
                    error == TgaError::OpenFailed ? IDS_TGA_OPEN_RETRY : IDS_TGA_READ_RETRY, name.c_str())))
                continue;
            return false;
        case TgaError::Rejected:
            plat.error(FormatString(IDS_TGA_REJECTED, name.c_str(), why.c_str()));
            return false;
        case TgaError::TooLarge:
            plat.message(LoadString(IDS_TGA_TOO_LARGE), MsgIcon::Warning, MsgButtons::Ok);
            return false;
        }
    }
}

CTGAFile::Read CTGAFile::ReadFile(const std::string& path, bool loadPixels, bool mapPixels) {
    Read read;
    read.loadPixels = loadPixels;
    read.mapPixels = mapPixels;
    read.error = ReadTga(path, loadPixels, read.image, read.file, &read.why, mapPixels);
    return read;
}

bool CTGAFile::OpenRead(const std::string& path, Read&& read) {
    if (read.error != TgaError::None || read.loadPixels != loadPixels || read.mapPixels != mapPixels)
        return OpenImage(path);
    take(path, std::move(read));
    return true;
}

TgaError CTGAFile::tryOpen(const std::string& name, std::string& why) {
    WaitCursor wait(plat);
    Read read = ReadFile(name, loadPixels, mapPixels);
    if (read.error != TgaError::None) {
        why = read.why;
        return read.error;
    }
    take(name, std::move(read));
    return TgaError::None;
}

void CTGAFile::take(const std::string& name, Read&& read) {
    // The document takes the new image (or, header-only, the open file).
    image = std::move(read.image);
    file = std::move(read.file);
    docWidth = lockedWidth = file.width;
    docHeight = lockedHeight = file.height;
    ++contentVersion;
    path = name;
    modified = false;
    if (settings) settings->writeString("Recent File Load", "Name", FileExtension(name));
}

bool CTGAFile::saveWithRetries(const std::string& target, int openQuestion, int saveQuestion,
                               const std::function<bool(ChunkWriter&)>& encode) {
    for (;;) {
        AtomicFile out;
        if (!out.open(target)) {
            if (plat.askRetry(FormatString(openQuestion, target.c_str()))) continue;
            return false;
        }
        for (;;) {
            bool written;
            {
                WaitCursor wait(plat);
                ChunkWriter chunks(out);
                written = encode(chunks) && chunks.finish() && out.commit();
            }
            if (written) return true;
            if (!plat.askRetry(FormatString(saveQuestion, target.c_str()))) {
                out.abort();
                return false;
            }
            // Write again from the first byte; a file that could not be renamed into place is made anew.
            if (!out.isOpen() || !out.rewind()) break;
        }
    }
}

bool CTGAFile::SaveImage(const std::string& target) {
    if (hasYuvExtension(target)) return WriteYuvFile(target);
    bool ok = saveWithRetries(target, IDS_TGA_OPEN_RETRY, IDS_TGA_SAVE_RETRY,
                              [this](ChunkWriter& out) { return EncodeTga(image, out); });
    if (ok) modified = false;
    return ok;
}

bool CTGAFile::WriteYuvFile(const std::string& target) {
    return saveWithRetries(YuvFileName(target), IDS_YUV_OPEN_RETRY, IDS_YUV_SAVE_RETRY,
                           [this](ChunkWriter& out) { return EncodeYuv(image, outsidePixel(), out); });
}

bool CTGAFile::SaveImageAs(const std::string& target, int format) {
    if (format == 0) return SaveImage(target);
    if (format == 1) return WriteYuvFile(target);
    const bool tga = SaveImage(target); // the frame is written whatever became of the TGA file
    return WriteYuvFile(target) && tga;
}

void CTGAFile::FillGray(uint8_t level) {
    if (!accessible()) return;
    image.fill(Bgr{level, level, level});
    ++contentVersion;
}

void CTGAFile::FillColor(uint32_t colour) {
    for (size_t i = 0; i < 4; ++i) outside[i] = static_cast<uint8_t>(colour >> (8 * i));
    if (!accessible()) return;
    // The colour 0x00BBGGRR: its blue byte goes into the pixel's blue byte, and so on.
    image.fill(outsidePixel());
    ++contentVersion;
}

void CTGAFile::ApplyMask(const CTGAFile& mask) {
    if (!accessible()) return;
    ::ApplyMask(image, mask.view());
    ++contentVersion;
}

void CTGAFile::AverageBlocksOf(const CTGAFile& source, int k) {
    if (!accessible()) return;
    ::AverageBlocks(source.view(), k, image);
    ++contentVersion;
}
