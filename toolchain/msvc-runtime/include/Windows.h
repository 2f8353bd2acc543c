// Windows is not case-sensitive about header names; the build machine is.
#pragma once
#include <windows.h>
