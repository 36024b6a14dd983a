#pragma once

#include "CQuensetDoc.h"
#include "ProcreationJob.h"
#include "RandomSource.h"

namespace zephyl {

// Breeds the next generation from the current bank into the bank after it, which is cleared
// first, even when no child is bred. Each patch gets the document's number of children, each
// crossed with a partner drawn at random from the other patches of its bank. Returns why no
// child was bred, if none was; a generation too large leaves the next bank as it was.
GenerationRefusal Procreate(CQuensetDoc& doc, RandomSource& random);

}  // namespace zephyl
