#pragma once
// How the pixels of a triangle whose projected corners are collinear are coloured. Their normals cannot be
// interpolated over the screen (the normal planes' determinant is 0).

enum class CollinearShading {
    SumOfNormals, // lit with N = (n0 + n1) + n2, the sum of the corner normals, like any other pixel
    ZeroNormal,   // the dust grey alone, as frames of earlier versions show them (to compare with those)
    Marked,       // pure magenta, to see where such triangles are
};
