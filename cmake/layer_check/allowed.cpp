// Compiled in the project layer's view: project/ may use common/ and platform/.
#include "common/errors.h"
#include "project/project.h"
