// The Help menu's commands that lead out of the program: the help file and
// the product web page, each opened with the desktop's default application
// for it. Failures are shown through the view's host, as every message is.
#pragma once

#include <string>

namespace kelvra {

class ViewHost;

// The product web page and the author's mail address (the about box shows both).
extern const char* const kProductPage;
extern const char* const kAuthorMail;

// The help file: "Kelvra.chm" in the working folder, or the bare name when
// the working folder cannot be read.
std::string helpFilePath();

// Help/Contents: "ヘルプファイルがありません" when `helpPath` is not a file, or
// when nothing opens it. False then.
bool openHelpContents(const std::string& helpPath, ViewHost& host);

// Help/Download the latest version: the product web page in the browser;
// "最新版のﾀﾞｳﾝﾛｰﾄﾞができません。" when it does not open.
bool openProductPage(ViewHost& host);

}  // namespace kelvra
