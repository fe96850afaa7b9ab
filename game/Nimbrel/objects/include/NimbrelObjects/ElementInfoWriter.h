#pragma once
// Writes an element-info file "%s_object_%d.raw" field by field in the order the object's
// reader takes it (the construction tool's side of CObjectsBase::BuildFromRaw).
#include "NimbrelObjects/CObjectsBase.h"

class UtilsStream;

// 0, or kStatusFailed when a write fails or a text is too long for the file.
Status WriteElementInfo(UtilsStream* pStream, const ElementInfoView& view);
