#include "render/RenderState.h"

QPoint DrawOrigin;
std::int32_t InternalLeadingDivisor = 0;
ColorRef PrintColour = 0;
std::int32_t ShadowStep = 0;
FontId OutlineFont = 0;
int RasterizerMode = 0;
