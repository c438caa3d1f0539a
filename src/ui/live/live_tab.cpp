#include "ui/live/live_tab.h"
