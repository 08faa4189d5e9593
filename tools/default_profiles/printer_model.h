// A plausible model of a dye-sublimation print: three dyes (cyan, magenta,
// yellow) laid down in amounts 1 - R, 1 - G, 1 - B, each absorbing mainly in
// its own band with some unwanted absorption in the others, on a paper with
// a little surface reflection. It gives the printer profile its forward
// (device to Lab) and inverse (Lab to device) tables.
#pragma once

#include <array>

namespace k7730::profiles {

using Vec3 = std::array<double, 3>;

class PrinterModel {
 public:
  PrinterModel();

  // Device RGB (0..1) to CIELAB relative to the paper white (D50).
  Vec3 DeviceToLab(const Vec3& rgb) const;
  // CIELAB to the device RGB that prints it; dye amounts beyond the
  // printer's range are limited dye by dye (MapIntoGamut first avoids that).
  Vec3 LabToDevice(const Vec3& lab) const;
  // The colour the printer makes for `lab` in a colorimetric rendering.
  // Within 30 L* of the printer's black, chroma is eased toward an anchor
  // (none at the black, all of it from 30 L* up); a colour still out of
  // reach becomes the last reachable colour on the line from the anchor to
  // it. The anchor is the neutral of the same lightness, turning into the
  // printer's own black in the dark, so that colours darker or more
  // saturated than the printer can make there fade smoothly into its black
  // instead of being clipped dye by dye into vivid device values.
  Vec3 MapIntoGamut(const Vec3& lab) const;
  bool InGamut(const Vec3& lab) const;
  // Lightness of the deepest black the printer makes.
  double BlackLightness() const { return blackL_; }

 private:
  std::array<Vec3, 3> density_{};     // density_[dye][band] at full amount
  std::array<Vec3, 3> densityInv_{};  // band densities back to effective amounts
  Vec3 black_{};                      // CIELAB of the deepest black
  double blackL_ = 0;

  // The dye amounts (unlimited) that print `lab`; false where no amount of
  // light could (a band asks for more light than the paper reflects).
  bool AmountsFor(const Vec3& lab, Vec3* amounts) const;
  Vec3 AnchorFor(const Vec3& lab) const;
};

// Perceptual and saturation renderings around the colorimetric model.
Vec3 PerceptualToColorimetric(const Vec3& lab, double blackL);
Vec3 ColorimetricToPerceptual(const Vec3& lab, double blackL);
Vec3 SaturationToColorimetric(const Vec3& lab);

}  // namespace k7730::profiles
