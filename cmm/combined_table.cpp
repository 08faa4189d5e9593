#include "cmm/combined_table.h"

#include <algorithm>
#include <cstring>

#include "cmm/grid_math.h"
#include "cmm/pcs_math.h"
#include "platform/platform.h"

namespace k7730::cmm {
namespace {

// Truncates toward zero and limits to 0..255; NaN gives 0.
std::uint8_t ClampTruncByte(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 255.0) return 255;
  return static_cast<std::uint8_t>(v);
}

void FillInputCurves(ColorWorldHeader* cw, const ProfileTransform& src, const K7730_CurveLutSet* set) {
  const std::uint32_t n = src.inChannels;
  for (std::uint32_t c = 0; c < n; ++c) {
    for (int i = 0; i < 256; ++i) {
      int x = set != nullptr ? set->tables[c + 1][set->tables[0][i]] : i;
      cw->inCurve[c][i] = n == 3 ? src.inputCurves[c][x]
                                 : static_cast<std::uint8_t>(255 - src.inputCurves[c][255 - x]);
    }
  }
}

void FillOutputCurves(ColorWorldHeader* cw, const ProfileTransform& dst, const K7730_CurveLutSet* set) {
  const std::uint32_t n = dst.outChannels;
  for (std::uint32_t c = 0; c < n; ++c) {
    for (int i = 0; i < 256; ++i) {
      int d = n == 3 ? dst.outputCurves[c][i] : 255 - dst.outputCurves[c][255 - i];
      cw->outCurve[c][i] = static_cast<std::uint8_t>(set != nullptr ? set->tables[c + 1][set->tables[0][d]] : d);
    }
  }
}

bool FillWideTables(WideTables* wide, const K7730_CurveLutSet* set, bool weights) {
  for (auto*& t : wide->composite)
    if ((t = AllocateWideTable()) == nullptr) return false;
  if (set == nullptr) {
    for (int c = 0; c < 3; ++c)
      std::memcpy(wide->composite[c], wide->SourceCurve(c), kWideEntries * sizeof(std::uint32_t));
  } else {
    for (int t = 0; t < 4; ++t) {
      if ((wide->expanded[t] = AllocateWideTable()) == nullptr) return false;
      ExpandCurve16(set->tables[t], wide->expanded[t]);
    }
    for (int c = 0; c < 3; ++c)
      for (std::uint32_t v = 0; v < kWideEntries; ++v)
        wide->composite[c][v] = wide->SourceCurve(c)[wide->expanded[c + 1][wide->expanded[0][v]]];
  }
  if (weights) {
    if ((wide->weight16 = AllocateWideTable()) == nullptr) return false;
    FillWeights16(wide->weight16);
  }
  return true;
}

void ChooseKernels(ColorWorldHeader* cw, bool sourceIsMatrix) {
  if (cw->inChannels == 3 && cw->outChannels == 3) {
    cw->pixelKernel = sourceIsMatrix ? kPixels3to3Wide : kPixels3to3;
    cw->planeKernel = sourceIsMatrix ? kPlanes3to3Wide : kPlanes3to3;
  } else if (cw->inChannels == 3) {
    cw->pixelKernel = kPixels3to4;
    cw->planeKernel = kPlanes3to4;
  } else if (cw->outChannels == 3) {
    cw->pixelKernel = kPixels4to3;
    cw->planeKernel = kPlanes4to3;
  } else {
    cw->pixelKernel = kPixels4to4;
    cw->planeKernel = kPlanes4to4;
  }
}

// Everything the per-node evaluation needs, prepared once.
struct Chain {
  const ProfileTransform* src;
  const ProfileTransform* dst;
  bool srcMatrix;
  bool dstMatrix;
  double whiteSrc[3];
  double whiteDst[3];
  double inverse[3][3];
  GridIndex srcIndex[256];
  GridIndex dstIndex[256];
  std::uint32_t srcStride[4];
  std::uint32_t dstStride[4];

  // Source device values of a node -> three 8-bit Lab bytes.
  void SourceStage(const std::uint8_t* node, std::uint8_t pcs[3]) const {
    if (srcMatrix) {
      double x[3] = {node[0] / 255.0, node[1] / 255.0, node[2] / 255.0};
      const auto& m = src->matrix;
      double xyz[3];
      for (int r = 0; r < 3; ++r) xyz[r] = m[r][0] * x[0] + m[r][1] * x[1] + m[r][2] * x[2];
      double lab[3];
      XyzToLab(xyz, whiteSrc, lab);
      pcs[0] = ClampTruncByte(lab[0] * 2.55 + 0.5);
      pcs[1] = ClampTruncByte(128.0 + lab[1] + 0.5);
      pcs[2] = ClampTruncByte(128.0 + lab[2] + 0.5);
      return;
    }
    std::uint32_t index[4], fraction[4];
    for (std::uint32_t c = 0; c < src->inChannels; ++c) {
      index[c] = srcIndex[node[c]].index;
      fraction[c] = srcIndex[node[c]].fraction;
    }
    std::uint8_t raw[3];
    if (src->inChannels == 3)
      InterpolateClut3(index, fraction, srcStride, src->clut, 3, raw);
    else
      InterpolateClut4(index, fraction, srcStride, src->clut, 3, raw);
    for (int c = 0; c < 3; ++c) pcs[c] = src->outputCurves[c][raw[c]];
  }

  // Three 8-bit Lab bytes -> destination values before its output curves.
  void DestinationStage(const std::uint8_t pcs[3], std::uint8_t* out) const {
    if (dstMatrix) {
      double lab[3] = {pcs[0] / 2.55, pcs[1] - 128.0, pcs[2] - 128.0};
      double xyz[3];
      LabToXyz(lab, whiteDst, xyz);
      for (int r = 0; r < 3; ++r) {
        double d = (inverse[r][0] * xyz[0] + inverse[r][1] * xyz[1] + inverse[r][2] * xyz[2]) * 255.0;
        out[r] = ClampTruncByte(d);
      }
      return;
    }
    std::uint32_t index[3], fraction[3];
    for (int c = 0; c < 3; ++c) {
      std::uint8_t v = dst->inputCurves[c][pcs[c]];
      index[c] = dstIndex[v].index;
      fraction[c] = dstIndex[v].fraction;
    }
    InterpolateClut3(index, fraction, dstStride, dst->clut, dst->outChannels, out);
  }

  void Node(const std::uint8_t* node, std::uint8_t* entry) const {
    std::uint8_t pcs[3];
    SourceStage(node, pcs);
    std::uint8_t out[4];
    DestinationStage(pcs, out);
    if (dst->outChannels == 3) {
      std::memcpy(entry, out, 3);
    } else {
      for (int o = 0; o < 4; ++o) entry[o] = static_cast<std::uint8_t>(255 - out[o]);
    }
  }
};

bool PositiveWhite(const double white[3]) { return white[0] > 0.0 && white[1] > 0.0 && white[2] > 0.0; }

void FillGrid3(const Chain& chain, std::uint8_t* grid) {
  for (std::uint32_t i = 0; i < kGridPoints3; ++i)
    for (std::uint32_t j = 0; j < kGridPoints3; ++j)
      for (std::uint32_t k = 0; k < kGridPoints3; ++k) {
        std::uint8_t node[3] = {static_cast<std::uint8_t>(std::min(8 * i, 255u)),
                                static_cast<std::uint8_t>(std::min(8 * j, 255u)),
                                static_cast<std::uint8_t>(std::min(8 * k, 255u))};
        chain.Node(node, grid + GridOffset3(i, j, k));
      }
}

void FillGrid4(const Chain& chain, std::uint8_t* grid) {
  auto at = [](std::uint32_t index) { return static_cast<std::uint8_t>(255 - std::min(16 * index, 255u)); };
  for (std::uint32_t i = 0; i < kGridPoints4; ++i)
    for (std::uint32_t j = 0; j < kGridPoints4; ++j)
      for (std::uint32_t k = 0; k < kGridPoints4; ++k)
        for (std::uint32_t l = 0; l < kGridPoints4; ++l) {
          std::uint8_t node[4] = {at(i), at(j), at(k), at(l)};
          chain.Node(node, grid + GridOffset4(i, j, k, l));
        }
}

}  // namespace

void MatrixWhite(const double m[3][3], double white[3]) {
  for (int r = 0; r < 3; ++r) white[r] = m[r][0] + m[r][1] + m[r][2];
}

ColorWorldHeader* BuildCombinedTable(const ProfileTransform& src, const K7730_CurveLutSet* inputCurves,
                                     const ProfileTransform& dst, const K7730_CurveLutSet* outputCurves,
                                     WideTables* wide) {
  // A matrix side whose white is not positive, or a destination matrix
  // that cannot be inverted, would sample NaN into the grid.
  Chain chain{};
  chain.src = &src;
  chain.dst = &dst;
  chain.srcMatrix = wide != nullptr;
  chain.dstMatrix = dst.clut == nullptr;
  if (chain.srcMatrix) {
    MatrixWhite(src.matrix, chain.whiteSrc);
    if (!PositiveWhite(chain.whiteSrc)) return nullptr;
  } else if (src.clut == nullptr) {
    return nullptr;
  }
  if (chain.dstMatrix) {
    MatrixWhite(dst.matrix, chain.whiteDst);
    std::memcpy(chain.inverse, dst.matrix, sizeof chain.inverse);
    if (!PositiveWhite(chain.whiteDst) || !InvertMatrix3(chain.inverse)) return nullptr;
  }

  const bool three = src.inChannels == 3;
  const std::uint32_t tableSize = three ? kTableSize3 : kTableSize4;
  auto* cw = static_cast<ColorWorldHeader*>(platform::Allocate(kColorWorldHeaderSize + tableSize));
  if (cw == nullptr) return nullptr;
  cw->headerSize = kColorWorldHeaderSize;
  cw->tableSize = tableSize;
  cw->gridPoints = three ? kGridPoints3 : kGridPoints4;
  cw->inChannels = src.inChannels;
  cw->outChannels = dst.outChannels;

  FillInputCurves(cw, src, inputCurves);
  if (chain.srcMatrix && !FillWideTables(wide, inputCurves, dst.outChannels == 3)) {
    platform::Release(cw);
    return nullptr;
  }
  FillOutputCurves(cw, dst, outputCurves);
  FillWeights8(cw->gridPoints, cw->weight);
  ChooseKernels(cw, chain.srcMatrix);

  BuildGridIndex(src.gridPoints, chain.srcIndex);
  BuildGridIndex(dst.gridPoints, chain.dstIndex);
  ClutStrides(src.inChannels, src.outChannels, src.gridPoints, chain.srcStride);
  ClutStrides(dst.inChannels, dst.outChannels, dst.gridPoints, chain.dstStride);

  if (three)
    FillGrid3(chain, cw->Grid());
  else
    FillGrid4(chain, cw->Grid());
  return cw;
}

}  // namespace k7730::cmm
