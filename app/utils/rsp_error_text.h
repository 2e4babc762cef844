#pragma once

#include <QString>

#include "moru_api_types.h"

// "[error number]text" of a refused request, as the pages show and log it.
QString rspErrorText(const CMoruRspInfo& info);
