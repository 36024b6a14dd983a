#pragma once

#include "CQuensetDoc.h"
#include "RandomSource.h"

namespace zephyl {

// Breeds the next generation from the current bank into the bank after it, which is cleared
// first in every case. Each patch gets the document's number of children, each crossed with a
// partner drawn at random from the other patches of its bank.
void Procreate(CQuensetDoc& doc, RandomSource& random);

}  // namespace zephyl
