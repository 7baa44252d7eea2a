// The entry points of the caption module (captiondrawing.*), which the engine
// looks up by name (caption.cpp) without knowing the toolkit behind them.
#pragma once

#include "effects/caption.h"

#include <string>

extern "C" {
using PictaronDrawCaptionFn = void (*)(const pictaron::Bitmap* source, const std::string* text,
                                       const pictaron::CaptionFont* font, pictaron::RGBTriple colour, int location,
                                       pictaron::Bitmap* captioned);
// The application is a QGuiApplication; the engine holds it as a
// CaptionApplicationObject it never looks into.
// The toolkit's messages go to onMessage from before the application is made.
using PictaronMakeCaptionApplicationFn = void* (*)(int* argc, char** argv, pictaron::ToolkitMessageHandler onMessage);
using PictaronEndCaptionApplicationFn = void (*)(void* application);
}
