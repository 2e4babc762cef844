#pragma once

#include <QString>

#include "moru_api_types.h"

// "[error number]text" of a refused request, as the pages show and log it.
QString rspErrorText(const CMoruRspInfo& info);
// The same layout for a text looked up otherwise.
QString idErrorText(quint32 errorId, const QString& text);
