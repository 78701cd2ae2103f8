#include "renderer/TriangleRasterizer.h"

#include "app/Progress.h"
#include "image/TGAFile.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kScreenLimit = TriangleRasterizer::kScreenLimit;
// The slope given to an edge of zero height: its difference in x times the largest float.
constexpr double kFlatSlope = 3.4028234663852886e38;

double Slope(double dx, double dy) {
    return dy == 0.0 ? dx * kFlatSlope : dx / dy;
}

} // namespace

bool RowSelection::Meets(int low, int high) const {
    low = std::max(low, firstRow);
    high = std::min(high, endRow - 1);
    if (low > high) return false;
    if (bandCount == 1) return true;
    const int firstBand = low / bandHeight, lastBand = high / bandHeight;
    if (lastBand - firstBand + 1 >= bandCount) return true;
    for (int band = firstBand; band <= lastBand; ++band)
        if (band % bandCount == bandIndex) return true;
    return false;
}

RowSelection RowSelection::ClampedTo(int imageHeight) const {
    RowSelection r = *this;
    r.firstRow = std::max(r.firstRow, 0);
    r.endRow = std::min(r.endRow, imageHeight);
    r.bandHeight = std::max(r.bandHeight, 1);
    r.bandCount = std::max(r.bandCount, 1);
    return r;
}

bool ReachesRows(const PreparedTriangle& t, int screenHeight, const RowSelection& rows) {
    // Its rows lie in [y0, y2], written only within the clipping rectangle [0, screenHeight]; screen row r
    // is stored row screenHeight - r.
    const int top = std::max(static_cast<int>(t.screen[0].y), 0);
    const int bottom = std::min(static_cast<int>(t.screen[2].y), screenHeight);
    return top <= bottom && rows.Meets(screenHeight - bottom, screenHeight - top);
}

TriangleRasterizer::TriangleRasterizer(const RenderCamera& camera_, TriangleShader& shader_,
                                       CTGAFile& output_, int firstRow, int endRow)
    : TriangleRasterizer(camera_, shader_, output_, RowSelection{firstRow, endRow}) {}

TriangleRasterizer::TriangleRasterizer(const RenderCamera& camera_, TriangleShader& shader_,
                                       CTGAFile& output_, const RowSelection& rows_)
    : camera(camera_), shader(shader_), output(output_), eye(camera_.Eye()), outputHeight(camera_.Height()),
      imageWidth(output_.GetWidth()), imageHeight(output_.GetHeight()), rows(rows_.ClampedTo(imageHeight)),
      countFrom(rows.firstRow) {
    rowSlot.assign(static_cast<size_t>(std::max(imageHeight, 0)), -1);
    for (int stored = 0; stored < imageHeight; ++stored)
        if (rows.Contains(stored)) rowSlot[static_cast<size_t>(stored)] = rows.Slot(stored);
}

bool ProjectCorner(const RenderCamera& camera, Corner& c) {
    ProjectedCorner& corner = c.projected;
    if (corner.state == 0) {
        const Vector4 p = camera.Project(c.point);
        const double sx = p.x / p.w;
        const double sy = -(p.y / p.w);
        // (Written so that a position that is not a number is dropped too.)
        if (!(p.w > 0.0) ||
            !(sx >= -kScreenLimit && sx <= kScreenLimit && sy >= -kScreenLimit && sy <= kScreenLimit)) {
            corner.state = -1;
        } else {
            corner.state = 1;
            corner.screen = Vector4(std::trunc(sx), std::trunc(sy), p.z, p.w);
        }
    }
    return corner.state > 0;
}

bool PrepareTriangle(const RenderCamera& camera, const Vector4& eye, Corner& a, Corner& b, Corner& c,
                     double f, PreparedTriangle& out) {
    const Vector4 &R0 = a.point, &R1 = b.point, &R2 = c.point;
    // 1. Back faces: the triangle's normal must point away from the eye.
    const Vector4 toCentroid = (R0 + R1 + R2) / 3.0 - eye;
    const Vector4 n = Cross(R1 - R0, R2 - R0);
    if (Dot3(toCentroid, n) <= 0.0) return false;

    // 2. and 3. Projection; a corner behind the eye or far off the screen drops the whole triangle.
    Corner* corners[3] = {&a, &b, &c};
    Vector4* screen = out.screen;
    for (int i = 0; i < 3; ++i) {
        if (!ProjectCorner(camera, *corners[i])) return false;
        screen[i] = corners[i]->projected.screen;
    }
    Vector4* world = out.world;
    Vector4* normals = out.normals;
    world[0] = R0;
    world[1] = R1;
    world[2] = R2;
    normals[0] = a.normal;
    normals[1] = b.normal;
    normals[2] = c.normal;
    out.f = f;

    // 4. Sorted by screen row: y0 <= y1 <= y2.
    auto swapVertices = [&](int i, int j) {
        std::swap(screen[i], screen[j]);
        std::swap(world[i], world[j]);
        std::swap(normals[i], normals[j]);
    };
    if (screen[1].y < screen[0].y) swapVertices(0, 1);
    if (screen[2].y < screen[0].y) {
        // Rotate (v0, v1, v2) to (v2, v0, v1).
        swapVertices(1, 2);
        swapVertices(0, 1);
    }
    if (screen[1].y > screen[2].y) swapVertices(1, 2);
    return true;
}

void TriangleRasterizer::DrawTriangle(Corner& a, Corner& b, Corner& c, double f) {
    if (!PrepareTriangle(camera, eye, a, b, c, f, scratch)) return;
    Fill(scratch);
}

void TriangleRasterizer::Fill(const PreparedTriangle& t) {
    const Vector4(&screen)[3] = t.screen;
    // A triangle none of whose rows this rasteriser writes needs no set-up. (The shader's clipping
    // rectangle is [0, outputHeight].)
    if (!ReachesRows(t, outputHeight, rows)) return;
    const int lowest = outputHeight - std::min(static_cast<int>(screen[2].y), outputHeight);
    if (std::max(lowest, countFrom) >= rows.firstRow) ++trianglesDrawn;

    // The shader's planes for this triangle.
    shader.SetupTriangle(t.screen, t.world, t.normals, t.f);
    if (deferred) {
        if (shader.KeptTriangles() >= maxKept) ShadeRecorded(nullptr);
        currentTriangle = shader.KeepTriangle();
        currentCovered = false;
    }

    const double x0 = screen[0].x, y0 = screen[0].y, x1 = screen[1].x, y1 = screen[1].y;
    const double x2 = screen[2].x, y2 = screen[2].y;

    // Lower part: from the bottom corner upwards to the middle row.
    FillPart(x2, Slope(x1 - x2, y2 - y1), Slope(x0 - x2, y2 - y0), static_cast<int>(y2),
             std::max(static_cast<int>(y1), shader.RowLow()), -1);
    // Upper part: from the top corner downwards to the middle row.
    FillPart(x0, Slope(x0 - x1, y0 - y1), Slope(x0 - x2, y0 - y2), static_cast<int>(y0),
             std::min(static_cast<int>(y1), shader.RowHigh()), +1);
    if (deferred && !currentCovered) shader.DropLastTriangle();
}

void TriangleRasterizer::SetDeferred(bool on, size_t maxKeptTriangles) {
    deferred = on && static_cast<long long>(imageWidth) * imageHeight <= kMaxDeferredPixels;
    maxKept = std::max<size_t>(maxKeptTriangles, 1);
    if (deferred && owners.empty()) {
        const size_t slots = static_cast<size_t>(rows.SlotCount(imageHeight));
        owners.assign(static_cast<size_t>(imageWidth) * slots, TriangleShader::PixelOwner{});
        recorded.assign(slots, Span{});
        shader.ReserveKept(maxKept);
    }
}

void TriangleRasterizer::SetFirstOwnerWins(bool on) {
    // (Slots are then the stored rows from the first one on.)
    firstWins = on && deferred && rows.bandCount == 1;
    if (!firstWins) return;
    // A kept pixel is never drawn again, so its triangle may be shaded at any time: in small batches, which
    // stay in the core's cache and touch little fresh memory (each range of a shared frame has its own).
    maxKept = std::min(maxKept, kFirstOwnerBatch);
    if (!taken.empty()) return;
    const int slots = rows.SlotCount(imageHeight);
    taken.assign(static_cast<size_t>(imageWidth) * static_cast<size_t>(slots), 0);
    tileColumns = (imageWidth + kTile - 1) / kTile;
    const int tileRows = (slots + kTile - 1) / kTile;
    tileTaken.assign(static_cast<size_t>(tileColumns) * static_cast<size_t>(tileRows), 0);
    tileSize.resize(tileTaken.size());
    for (int ty = 0; ty < tileRows; ++ty)
        for (int tx = 0; tx < tileColumns; ++tx)
            tileSize[static_cast<size_t>(ty) * tileColumns + tx] = static_cast<uint8_t>(
                std::min(kTile, imageWidth - tx * kTile) * std::min(kTile, slots - ty * kTile));
}

bool TriangleRasterizer::Covered(double cLow, double cHigh, double rLow, double rHigh) const {
    if (!(cLow <= cHigh && rLow <= rHigh)) return false; // (not a number, too)
    // Corners are truncated, and truncation keeps the order: their columns and rows lie between the
    // truncated limits.
    return TruncatedCovered(Truncated(cLow - kCoverMargin), Truncated(cHigh + kCoverMargin),
                            Truncated(rLow - kCoverMargin), Truncated(rHigh + kCoverMargin));
}

bool TriangleRasterizer::TruncatedCovered(int c0, int c1, int r0, int r1) const {
    if (!firstWins) return false;
    // A span's rows are exactly the corners' rows. Its ends are stepped along the edges from the corners'
    // columns; the steps are exact for edges of at most 2 rows (whole or half pixels), and otherwise the
    // rounding may put an end that should lie on a corner's column just beside it, where truncation
    // makes it one column lower (or, left of the picture, one higher).
    if (r1 - r0 > 2) {
        --c0;
        if (c1 < 0) ++c1;
    }
    // Screen row r is stored row (outputHeight - r).
    c0 = std::max(c0, 0);
    c1 = std::min(c1, imageWidth - 1);
    const int s0 = std::max(rows.firstRow, outputHeight - r1);
    const int s1 = std::min(rows.endRow - 1, outputHeight - r0);
    if (c0 > c1 || s0 > s1) return true;
    const int slot0 = s0 - rows.firstRow, slot1 = s1 - rows.firstRow;
    // Whether the pixels of slots [sFrom, sTo] and columns [cFrom, cTo] are all kept.
    auto allKept = [this](int sFrom, int sTo, int cFrom, int cTo) {
        for (int s = sFrom; s <= sTo; ++s) {
            const uint8_t* kept = &taken[static_cast<size_t>(s) * imageWidth];
            for (int c = cFrom; c <= cTo; ++c)
                if (!kept[c]) return false;
        }
        return true;
    };
    // A few pixels (as far terrain's cells mostly ask) are looked at directly; else tile by tile, passing
    // over the tiles wholly kept.
    if (c1 - c0 < kTile && slot1 - slot0 < kTile) return allKept(slot0, slot1, c0, c1);
    for (int ty = slot0 / kTile; ty <= slot1 / kTile; ++ty)
        for (int tx = c0 / kTile; tx <= c1 / kTile; ++tx) {
            const size_t t = static_cast<size_t>(ty) * tileColumns + tx;
            if (tileTaken[t] != tileSize[t] &&
                !allKept(std::max(slot0, ty * kTile), std::min(slot1, ty * kTile + kTile - 1),
                         std::max(c0, tx * kTile), std::min(c1, tx * kTile + kTile - 1)))
                return false;
        }
    return true;
}

void TriangleRasterizer::Finish(Progress& progress) {
    if (deferred) ShadeRecorded(&progress);
}

void TriangleRasterizer::ShadeRecorded(Progress* progress) {
    for (int stored = rows.firstRow; stored < rows.endRow; ++stored) {
        const int slot = rowSlot[static_cast<size_t>(stored)];
        if (slot < 0) continue;
        if (progress && progress->stopRequested()) return;
        // Only the columns recorded since the last time.
        Span& span = recorded[static_cast<size_t>(slot)];
        if (span.low > span.high) continue;
        TriangleShader::PixelOwner* row = &owners[static_cast<size_t>(slot) * imageWidth];
        shader.ShadeOwnedRow(outputHeight - stored, row, span.low, span.high + 1, output.pixelAt(0, stored));
        for (int c = span.low; c <= span.high; ++c) row[c] = TriangleShader::PixelOwner{};
        span = Span{};
    }
    shader.ForgetKeptTriangles();
}

void TriangleRasterizer::FillPart(double xStart, double slopeA, double slopeB, int firstRow, int lastRow,
                                  int step) {
    const double leftSlope = std::min(slopeA, slopeB);
    const double rightSlope = slopeA < slopeB ? slopeB : slopeA;
    double leftX = xStart, rightX = xStart;
    const int rowLow = shader.RowLow(), rowHigh = shader.RowHigh();
    const double columnLow = shader.ColumnLow(), columnHigh = shader.ColumnHigh();

    for (int row = firstRow; step < 0 ? row >= lastRow : row <= lastRow; row += step) {
        if (row >= rowLow && row <= rowHigh) {
            const int stored = outputHeight - row;
            // (Rows outside the picture are not selected either.)
            const int slot = stored >= 0 && stored < imageHeight ? rowSlot[static_cast<size_t>(stored)] : -1;
            if (slot >= 0) {
                // 5. The span, clipped to the rectangle and then to the picture.
                const double left = std::max(std::trunc(leftX), columnLow);
                const double right = std::min(std::trunc(rightX), columnHigh);
                if (left <= right && left < imageWidth) {
                    const int l = static_cast<int>(left);
                    const int r = std::min(static_cast<int>(right), imageWidth - 1);
                    if (firstWins) {
                        const size_t at = static_cast<size_t>(slot) * imageWidth;
                        TriangleShader::PixelOwner* o = &owners[at];
                        uint8_t* kept = &taken[at];
                        uint8_t* tiles = &tileTaken[static_cast<size_t>(slot / kTile) * tileColumns];
                        int low = INT_MAX, high = -1;
                        for (int c = l; c <= r; ++c)
                            if (!kept[c]) {
                                kept[c] = 1;
                                ++tiles[c / kTile];
                                o[c] = TriangleShader::PixelOwner{currentTriangle, l};
                                low = std::min(low, c);
                                high = c;
                            }
                        if (high >= 0) {
                            Span& span = recorded[static_cast<size_t>(slot)];
                            span.low = std::min(span.low, low);
                            span.high = std::max(span.high, high);
                            currentCovered = true;
                        }
                    } else if (deferred) {
                        TriangleShader::PixelOwner* o = &owners[static_cast<size_t>(slot) * imageWidth];
                        for (int c = l; c <= r; ++c) o[c] = TriangleShader::PixelOwner{currentTriangle, l};
                        Span& span = recorded[static_cast<size_t>(slot)];
                        span.low = std::min(span.low, l);
                        span.high = std::max(span.high, r);
                        currentCovered = true;
                    } else {
                        shader.ShadeSpan(row, l, r, output.pixelAt(l, stored));
                    }
                    pixelsWritten += r - l + 1;
                }
            }
        }
        leftX += leftSlope;
        rightX += rightSlope;
    }
}
