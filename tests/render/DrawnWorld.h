#pragma once
#include "render/CFenGraphicsFactory.h"
#include "tests/support/TestWorld.h"

// A world adapter whose adapters draw into the drawing context given to it
// (DrawnWorld world{&vertexBuffer}); it never reads a model file.
using DrawnWorld = TestSupport::TestWorld<TestSupport::NoReaders, Tarn::CFenGraphicsFactory>;
