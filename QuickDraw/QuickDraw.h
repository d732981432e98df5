// The QuickDraw library: 1-bit raster graphics with the classic drawing model.
#pragma once

#include "Bitmap.h"
#include "Check.h"
#include "Geometry.h"
#include "GrafPort.h"
#include "Pattern.h"
#include "Polygon.h"
#include "QuickDrawContext.h"
#include "Region.h"
#include "Shapes.h"
#include "Style.h"
#include "TextRenderer.h"
