// The Update program's one application object.
#include "UpdateApp.h"

UpdateApp theApp;
