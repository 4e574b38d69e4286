// Vector routines of the model library (see vector.h): single-precision arithmetic, no state,
// no failure.
#include "vtrl3ds/vector.h"

#include <cmath>

T3dpoint VCross(const T3dpoint& PV1, const T3dpoint& PV2) {
    return {PV1.Y * PV2.Z - PV1.Z * PV2.Y, PV1.Z * PV2.X - PV1.X * PV2.Z, PV1.X * PV2.Y - PV1.Y * PV2.X};
}

T3dpoint Normalize(const T3dpoint& V) {
    const float Longi = std::sqrt(V.X * V.X + V.Y * V.Y + V.Z * V.Z);
    // A NaN length does not compare greater than 0 either, so such a vector comes back as it was.
    if (!(Longi > 0.0f)) return V;
    return {V.X / Longi, V.Y / Longi, V.Z / Longi};
}

T3dpoint VectorSubtract(const T3dpoint& V1, const T3dpoint& V2) {
    return {V1.X - V2.X, V1.Y - V2.Y, V1.Z - V2.Z};
}

T3dpoint CalcNormalVector(const T3dpoint& Point1, const T3dpoint& Point2, const T3dpoint& Point3) {
    const T3dpoint TempPoint1 = VectorSubtract(Point1, Point2);
    const T3dpoint TempPoint2 = VectorSubtract(Point1, Point3);
    const T3dpoint N = Normalize(VCross(TempPoint1, TempPoint2));
    // Triangles are stored clockwise seen from outside (a 3DS file's Y/Z exchange mirrors its
    // winding; the other loaders reverse theirs): the normal is negated.
    return {-N.X, -N.Y, -N.Z};
}
