// Date inference (being written).
#include "dates/Dates.h"
