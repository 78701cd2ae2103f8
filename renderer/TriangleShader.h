#pragma once
// TriangleShader: the colour of every pixel the rasteriser fills. Each pixel is lit with its own normal,
// interpolated over the screen from the triangle's three corner normals, and hazed by the dust of its cell:
//   K = trunc(f * a * 255) (the dust grey), g = 1 - f (what the dust lets through),
//   V = (L . N) / |N| (Lambert),
//   channel = trunc(V * 255 * g) + K without texture, trunc(g * V * texel) + K with texture,
//   and (K, K, K) for a face turned away from the light (V < 0) or a zero normal.
// A triangle whose corners project onto one line (a row, or any line: the normals cannot be interpolated
// over it) is lit everywhere with the sum of its corner normals, N = (n0 + n1) + n2.
// The texel is found where the pixel's view ray meets the triangle's plane (one texel per world unit),
// either at once (GetPixel) or, in the exact lookup, averaged over the pixel's footprint or filtered.
// One shader per frame (and per thread): it keeps the triangle's planes and its own filter cache.

#include "image/TGAFile.h"
#include "renderer/CollinearShading.h"
#include "renderer/RenderCamera.h"
#include "renderer/TextureSampler.h"
#include "renderer/Vector4.h"

#include <cstdint>
#include <optional>
#include <vector>

// The normal of a grid point P from its four axis neighbours (at +x, +y, -x, -y): the mean of the normals
// of the four triangles around P, scaled to unit length (a zero vector stays zero).
inline Vector4 CornerNormal(const Vector4& P, const Vector4& Xp, const Vector4& Yp, const Vector4& Xm,
                            const Vector4& Ym) {
    const Vector4 xp = Xp - P, yp = Yp - P, xm = Xm - P, ym = Ym - P;
    Vector4 n = (Cross(ym, xp) + Cross(xp, yp) + Cross(yp, xm) + Cross(xm, ym)) / 4.0;
    if (const double len = Length3(n); len != 0.0) n = n / len;
    return n;
}

class TriangleShader {
public:
    // light: the frame's light vector (normalised again here when it is not zero); exact: the scene's HQ.
    // sampler: a sampler made for texture; given, the texels are read through it, else through the
    // document's own samplers. Both give the same bytes.
    TriangleShader(const RenderCamera& camera, const CTGAFile* texture, bool exact, const Vector4& light,
                   const TextureSampler* sampler = nullptr,
                   CollinearShading collinear = CollinearShading::SumOfNormals);

    // The clipping rectangle, both limits inclusive.
    int ColumnLow() const { return 0; }
    int RowLow() const { return 0; }
    int ColumnHigh() const { return camera.Width(); }
    int RowHigh() const { return camera.Height(); }

    const Vector4& LightVector() const { return L; }
    double LevelBrightness() const { return a; }

    // Prepares a triangle whose vertices are sorted by screen row: screen holds (column, row) of the
    // projected vertices, world the positions, normals the corner normals; f is the cell's dust factor.
    void SetupTriangle(const Vector4 (&screen)[3], const Vector4 (&world)[3], const Vector4 (&normals)[3],
                       double f);

    // Colours the pixels of screen row `row` from column `left` to `right` inclusive into out (three bytes
    // per pixel, blue, green, red, out[0] being column `left`).
    void ShadeSpan(int row, int left, int right, uint8_t* out);

    // Deferred shading. A pixel overwritten by a nearer triangle need not have been shaded: the rasteriser
    // may instead record, per pixel, the last triangle and span that covered it, and have only those pixels
    // shaded at the end of the frame. KeepTriangle stores the set-up triangle and returns its number;
    // DropLastTriangle forgets it again (it covered no pixel). ShadeOwnedRow then colours the pixels of
    // screen row `row` whose owner is given (owners[c] for column c, the whole row of the picture) exactly
    // as ShadeSpan would have coloured them when their span was drawn.
    struct PixelOwner {
        int32_t triangle = -1; // -1: no triangle (the background stays)
        int32_t left = 0;      // the first column of the span that drew the pixel
    };
    int KeepTriangle();
    void DropLastTriangle() { kept.pop_back(); }
    size_t KeptTriangles() const { return kept.size(); }
    // Forgets every kept triangle (after their pixels have been shaded).
    void ForgetKeptTriangles() {
        kept.clear();
        cursors.clear();
    }
    // (Only the columns [from, width) are looked at; out is column 0's pixel.)
    void ShadeOwnedRow(int row, const PixelOwner* owners, int from, int width, uint8_t* out);
    // Makes room for n kept triangles at once (no copies while they are kept).
    void ReserveKept(size_t n) {
        kept.reserve(n);
        cursors.reserve(n);
    }

private:
    // What a triangle's pixels need.
    struct TriangleState {
        bool marked = false;                               // collinear, shown as CollinearShading::Marked
        double alpha[3] = {}, beta[3] = {}, gamma[3] = {}; // N_k = alpha_k * row + beta_k * column + gamma_k
        int dustGrey = 0;                                  // K
        double visibility = 1.0;                           // g
        RayPlane texturePlane;
    };
    // The normal at the first pixel of a span and its change per pixel.
    struct SpanStart {
        double nx, ny, nz, bx, by, bz;
    };
    static SpanStart StartOf(const TriangleState& t, int row, int left);

    // The view rays of one screen row.
    struct RowRays;
    RowRays RaysOf(int row) const;

    // One pixel of a triangle, normal given. Mode: 0 no texture, 1 quick lookup, 2 exact lookup.
    template <int Mode>
    void ShadePixel(const TriangleState& t, double nx, double ny, double nz, int column, const RowRays& rays,
                    uint8_t* out);
    template <int Mode> void ShadeSpanAs(int row, int left, int right, uint8_t* out);
    template <int Mode>
    void ShadeOwnedRowAs(int row, const PixelOwner* owners, int from, int width, uint8_t* out);
    int ModeOf() const { return !texture ? 0 : exact ? 2 : 1; }

    const RenderCamera& camera;
    const CTGAFile* texture;
    bool exact;
    Vector4 L;
    double a = 0.0;
    Vector4 eye;
    FilterCache cache;
    const TextureSampler* sampler;
    CollinearShading collinear;

    TriangleState current; // the triangle being drawn
    std::vector<TriangleState> kept;
    // Per kept triangle: where its last shaded span stands (deferred shading).
    struct Cursor {
        int row = -1, left = 0, column = 0;
        double nx = 0, ny = 0, nz = 0;
    };
    std::vector<Cursor> cursors;
};
