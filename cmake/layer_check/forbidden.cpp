// Compiled in the project layer's view: project/ may not use script/, so this
// must fail to compile.
#include "script/interpreter.h"
