#pragma once
// RenderCamera: the pinhole camera of a render run. Set() turns the camera values of a frame (eye, heading,
// pitch, focal distance, bank; angles in degrees) into one projection matrix and the vectors that give the
// view ray through any screen position. After Set() the camera is read-only, so the frames of a run can be
// projected from several threads at once; the per-triangle scratch lives in the rasteriser and the shader.

#include "renderer/Matrix4.h"
#include "renderer/Vector4.h"

// The plane through three points, prepared for intersecting view rays from one eye with it. The system
// eye + t * ray = p0 + u * (p1 - p0) + v * (p2 - p0) is solved for t by Cramer's rule: the cofactors of the
// ray's column do not depend on the ray, so they are kept together with the numerator of t.
struct RayPlane {
    Vector4 cofactors;    // of the ray's column in the matrix (ray, p0 - p1, p0 - p2)
    double numerator = 0; // the determinant with the ray's column replaced by p0 - eye

    static RayPlane Through(const Vector4& eye, const Vector4& p0, const Vector4& p1, const Vector4& p2);

    // The ray parameter t of the hit (infinite or not a number when the ray runs parallel to the plane).
    double HitParameter(const Vector4& ray) const {
        return numerator / (ray.x * cofactors.x + ray.y * cofactors.y + ray.z * cofactors.z);
    }
};

class RenderCamera {
public:
    // light: the job's light vector; cx, cy: the screen centre (the render window passes width / 2 and
    // -(height / 2)).
    RenderCamera(const Vector4& light, int width, int height, double cx, double cy);

    // Sets the frame's camera: eye (world units), heading, pitch and bank in degrees, focal distance.
    void Set(const Vector4& eye, double heading, double pitch, double focal, double bank);

    // The eye as stored (with the 0.00001 offsets of Set).
    Vector4 Eye() const { return eye; }

    // point * P; the screen position is column X / W, row -(Y / W).
    Vector4 Project(const Vector4& point) const { return point * P; }

    // The wire model's projection: false when the point is behind the eye or more than 16384 pixels off;
    // else the truncated column and row.
    bool ProjectToScreen(const Vector4& point, int& column, int& row) const;

    // The direction of the view ray through screen position (column c, row r); the ray starts at Eye().
    Vector4 ViewRay(double c, double r) const {
        const double dx = c - cx;
        const double dy = -r - cy;
        const double f = dx * cosBank + dy * sinBank;
        const double g = dy * cosBank - dx * sinBank;
        return Vector4(D.x + f * R.x + g * U.x, D.y + f * R.y + g * U.y, D.z + f * R.z + g * U.z, 0.0);
    }

    // The hit of the view ray through (c, r) with the plane through p0, p1, p2: returns the ray parameter t
    // and stores eye + t * ray in hit.
    double RayPlaneHit(double c, double r, const Vector4& p0, const Vector4& p1, const Vector4& p2,
                       Vector4& hit) const;

    int Width() const { return width; }
    int Height() const { return height; }
    double CenterX() const { return cx; }
    double CenterY() const { return cy; }
    const Vector4& Light() const { return light; }
    const Matrix4& Projection() const { return P; }
    const Vector4& LineOfSight() const { return D; }
    double LineOfSightLengthSquared() const { return lineOfSightSq; }
    const Vector4& Right() const { return R; }
    const Vector4& Up() const { return U; }
    double Focal() const { return focal; }
    double Heading() const { return heading; }
    double Pitch() const { return pitch; }
    double Bank() const { return bank; }
    double SinBank() const { return sinBank; }
    double CosBank() const { return cosBank; }

private:
    Vector4 light;
    int width, height;
    double cx, cy;

    Vector4 eye = Vector4::Point(0, 0, 0);
    double heading = 0, pitch = 0, bank = 0;
    double sinBank = 0, cosBank = 1;
    double focal = 0;
    Vector4 D, R, U;
    double lineOfSightSq = 0;
    Matrix4 P = Matrix4::Identity();
};
