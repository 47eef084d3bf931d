// SSE2 forms of the blend primitives.
#include "blend_scalar.h"

namespace BlendSSE2 {
// Constant-initialised (function addresses only), so it is ready before any dynamic initialiser.
constinit const TBlendProcs Procs = {
    BlendScalar::MixColor,  BlendScalar::MixOnto,          BlendScalar::BlendColor,
    BlendScalar::BlendOnto, BlendScalar::BlendColorMaster, BlendScalar::BlendOntoMaster,
    BlendScalar::BlendRow,  BlendScalar::BlendRowMaster};
}  // namespace BlendSSE2
