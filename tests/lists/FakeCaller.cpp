#include "lists/FakeCaller.h"
