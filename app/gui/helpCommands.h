// The Help menu's commands that lead out of the program: the help (a help
// file of the working folder, or the user manual in the desktop's browser) and
// the product web page. Failures are shown through the view's host, as every
// message is.
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

// The start page of the user manual: the installed one, found from the
// program's own place (<prefix>/bin/kelvra gives
// <prefix>/share/doc/kelvra/manual/index.html), so a staged or moved install
// finds its own; for a program run in its build folder, the manual built
// there. The installed place when neither is there.
std::string manualStartPage();
// The same for a program at `programPath`.
std::string manualStartPageFor(const std::string& programPath);

// Help/Contents: the help file when it is a file that an application opens;
// otherwise the manual's start page in the desktop's browser (the application
// of HTML files). When neither opens, one message says why: no manual at
// `manualPage` ("ヘルプファイルがありません" and the path), no browser
// ("ﾍﾙﾌﾟを表示するﾌﾞﾗｳｻﾞがありません。"), or a browser that did not start
// ("ﾌﾞﾗｳｻﾞを起動できません。" and the reason). False then.
bool openHelpContents(const std::string& helpPath, const std::string& manualPage, ViewHost& host);

// Help/Download the latest version: the product web page in the browser;
// "最新版のﾀﾞｳﾝﾛｰﾄﾞができません。" when it does not open.
bool openProductPage(ViewHost& host);

}  // namespace kelvra
