// Wine's crtdbg.h, with the report files of the release runtime, where reports go nowhere.
#pragma once
#include_next <crtdbg.h>

typedef void* _HFILE;
#define _CRTDBG_FILE_STDOUT ((_HFILE)(intptr_t)-4)
#define _CRTDBG_FILE_STDERR ((_HFILE)(intptr_t)-5)
#ifndef _DEBUG
#define _CrtSetReportFile(t, f) ((_HFILE)0)
#endif
