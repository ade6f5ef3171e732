#pragma once
#include "io/CFenIOFactory.h"
#include "tests/support/TestWorld.h"

// A world adapter whose adapters read model files; it is never drawn.
using ReadingWorld = TestSupport::TestWorld<Tarn::CFenIOFactory, TestSupport::NoDrawing>;
