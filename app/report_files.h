// The pages the 表示 item hands to the browser, in %TEMP%\Kestrova. Each is a
// new file named by the second it was made, never one written over: a browser
// tab may still show (and print) an earlier page, which must stay the patient
// it was made for. Pages older than a week are removed at start.
//
//   20261208-101502-1.html         the first page of that second
//   20261208-101502-2_A-1.html     the next one, of a patient whose ID is A-1
#ifndef KESTROVA_APP_REPORT_FILES_H_
#define KESTROVA_APP_REPORT_FILES_H_

#include <string>
#include <string_view>

namespace kestrova::app {

// %TEMP%\Kestrova (ANSI, no trailing backslash), made when missing; empty when
// there is no such folder and it cannot be made.
std::string ReportFolder();

// Writes `bytes` to a file in `folder` that did not exist before (created with
// CREATE_NEW, the counter raised while the name is taken) and returns its
// path; empty when nothing could be written, and then no file is left.
// `id` (UTF-8, may be empty) ends the name as IdNamePart gives it.
std::string WriteNewReportPage(const std::string& folder, std::string_view id, std::string_view bytes);

// `id` as a part of a file name by the rule of the batch's page names
// (io::FileNamePartOf), at most 32 bytes: "A-1" -> "A-1", "x/y:z" -> "x_y_z",
// "nul" -> "nul_"; empty when no letter or digit is left.
std::string IdNamePart(std::string_view id);

// True for the names WriteNewReportPage gives: 8 digits, '-', 6 digits, '-',
// digits, optionally '_' and more, then ".html"; and for those of earlier
// versions: 8 digits, '_', …, "歳.html".
bool IsReportPageName(std::string_view name);

// Removes the pages of ReportFolder older than 7 days by their last write;
// files of other names and folders are left, and failures are ignored.
void RemoveOldReportPages();

}  // namespace kestrova::app

#endif  // KESTROVA_APP_REPORT_FILES_H_
