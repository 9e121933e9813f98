// A bill data unit that reaches up to the classes: check_layers.sh must refuse it.
#include "frame/cls_get_data.h"
