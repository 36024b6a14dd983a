#pragma once

#include "CQuensetDoc.h"
#include "ProcreationJob.h"
#include "RandomSource.h"

namespace zephyl {

// Breeds the next generation from the current bank into the bank after it, which is cleared
// first, even when no child is bred. Each patch gets the document's number of children, each
// crossed with a partner drawn at random from the other patches of its bank. A generation too
// large changes nothing; the refusal says why nothing, or nothing at all, was bred.
GenerationRefusal Procreate(CQuensetDoc& doc, RandomSource& random);

}  // namespace zephyl
