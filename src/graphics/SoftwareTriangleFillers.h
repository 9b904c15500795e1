#pragma once

namespace ravix {

class TriangleFillerTable;

// Registers the software fillers of textured triangles for 32-bit destinations (formats 0x8888
// and 0x888): with and without blending, colour modulation and vertex colours, nearest
// sampling, or bilinear sampling when the blend flag is set.
//
// Their arithmetic is that of the unscaled blit, so that an axis-aligned quad at scale 1 on
// whole pixels draws exactly what BlitImage draws: on a destination without alpha or
// transparency and a white colour, opaque texels are copied, transparent ones skipped and
// partial ones blended over the destination taken as opaque; on other destinations the
// general source-over (second form) is used; a colour (or vertex colour) scales the channels
// (c * colour >> 8) and the alpha (colour alpha * alpha / 255) first. Additive mode adds as the
// unscaled additive blit does.
void RegisterSoftwareTriangleFillers(TriangleFillerTable& table);

} // namespace ravix
