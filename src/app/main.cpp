#include "app/tarvello_app.h"

wxIMPLEMENT_APP(CTarvelloApp);
