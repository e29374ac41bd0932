#include "PainterFixture.h"
