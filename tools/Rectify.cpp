#include "tools/Rectify.h"

#include "app/CFormat.h"
#include "app/Settings.h"
#include "res/StringTable.h"

#include <cmath>
#include <utility>

namespace {
constexpr const char* kSection = "RectifyCorners";

std::string key(char axis, int i, bool primed) {
    return std::string(1, axis) + std::to_string(i + 1) + (primed ? "'" : "");
}

double readValue(const SettingsStore& store, const std::string& k) {
    double v = 0.0;
    scanReal(store.getString(kSection, k, "0.0").c_str(), v);
    return v;
}
} // namespace

RectifyCorners LoadRectifyCorners(const SettingsStore& store) {
    RectifyCorners c;
    for (int i = 0; i < 4; ++i) {
        c.x[i] = readValue(store, key('x', i, false));
        c.y[i] = readValue(store, key('y', i, false));
        c.xs[i] = readValue(store, key('x', i, true));
        c.ys[i] = readValue(store, key('y', i, true));
    }
    return c;
}

bool SaveRectifyCorners(SettingsStore& store, const RectifyCorners& c) {
    bool ok = true;
    for (int i = 0; i < 4; ++i) {
        ok = store.writeString(kSection, key('x', i, false), cformat("%f", c.x[i])) && ok;
        ok = store.writeString(kSection, key('y', i, false), cformat("%f", c.y[i])) && ok;
    }
    for (int i = 0; i < 4; ++i) {
        ok = store.writeString(kSection, key('x', i, true), cformat("%f", c.xs[i])) && ok;
        ok = store.writeString(kSection, key('y', i, true), cformat("%f", c.ys[i])) && ok;
    }
    return ok;
}

bool SolveLinear(int n, double* matrix, double* solution) {
    constexpr double tiny = 1e-12;
    const int columns = n + 1;
    auto a = [&](int row, int column) -> double& { return matrix[row * columns + column]; };
    bool degenerate = false;

    for (int j = 0; j + 1 < n; ++j) {
        int e = j;
        for (int k = j + 1; k < n; ++k)
            if (std::fabs(a(k, j)) > std::fabs(a(e, j))) e = k;
        if (e != j)
            for (int m = j; m <= n; ++m) std::swap(a(j, m), a(e, m));
        for (int k = j + 1; k < n; ++k) {
            double f;
            if (std::fabs(a(j, j)) >= tiny) {
                f = a(k, j) / a(j, j);
            } else {
                degenerate = true;
                f = a(k, j) != 0 ? a(k, j) * 1e12 : 1.0;
            }
            for (int m = j + 1; m <= n; ++m) a(k, m) -= f * a(j, m);
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        double s = a(i, n);
        for (int m = i + 1; m < n; ++m) s -= a(i, m) * solution[m];
        if (std::fabs(a(i, i)) >= tiny) {
            solution[i] = s / a(i, i);
        } else {
            degenerate = true;
            solution[i] = s != 0 ? s * 1e12 : 1.0;
        }
    }
    return degenerate;
}

RectifyTransform SolveRectify(const RectifyCorners& c) {
    RectifyTransform t;
    double mx[4][5], my[4][5];
    for (int i = 0; i < 4; ++i) {
        const double row[4] = {c.x[i], c.y[i], c.x[i] * c.y[i], 1.0};
        for (int m = 0; m < 4; ++m) mx[i][m] = my[i][m] = row[m];
        mx[i][4] = c.xs[i];
        my[i][4] = c.ys[i];
    }
    t.degenerateX = SolveLinear(4, &mx[0][0], t.a);
    t.degenerateY = SolveLinear(4, &my[0][0], t.b);
    return t;
}

std::string RectifyIndefiniteText(RectifyAxis axis) {
    return LoadString(axis == RectifyAxis::X ? IDS_RECTIFY_INDEFINITE_X : IDS_RECTIFY_INDEFINITE_Y);
}

ToolResult Rectify(const std::string& from, const std::string& to, const RectifyCorners& corners,
                   const ToolEnv& env) {
    return Rectify(from, to, corners, env, [&](RectifyAxis axis) {
        return env.platform.message(RectifyIndefiniteText(axis), MsgIcon::Information,
                                    MsgButtons::OkCancel) == MsgAnswer::Ok;
    });
}

ToolResult Rectify(const std::string& from, const std::string& to, const RectifyCorners& corners,
                   const ToolEnv& env, const RectifyGoOn& goOn) {
    const RectifyTransform t = SolveRectify(corners);
    if ((t.degenerateX && !goOn(RectifyAxis::X)) || (t.degenerateY && !goOn(RectifyAxis::Y)))
        return ToolStatus::Cancelled;

    std::unique_ptr<CTGAFile> input = OpenToolInput(env, from);
    if (!input) return ToolStatus::Failed;
    const int width = input->GetWidth(), height = input->GetHeight();
    return WriteOutputByRows(env, *input, to, [&](int r, uint8_t* out) {
        const double y = height - r;
        for (int x = 0; x < width; ++x, out += 3) {
            const double xs = t.a[0] * x + t.a[1] * y + t.a[2] * x * y + t.a[3];
            const double ys = t.b[0] * x + t.b[1] * y + t.b[2] * x * y + t.b[3];
            const Bgr p = input->SampleFiltered(xs, height - ys);
            out[0] = p.b;
            out[1] = p.g;
            out[2] = p.r;
        }
    });
}
