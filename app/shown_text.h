#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quillfold {

// Texts of the core are byte strings (file names among them); they become
// QStrings only to be shown. Bytes that are not UTF-8 show as replacement
// characters; the bytes themselves are kept wherever the text is used again.
QString ShownText(std::string_view text);

// As ShownText, with the CR LF line breaks of reports and messages turned
// into the line feeds that Qt's text widgets break lines at.
QString ShownLines(std::string_view text);

}  // namespace quillfold
