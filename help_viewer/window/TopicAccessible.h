#pragma once
// What screen readers are told of the topic pane. A text browser is exposed by Qt as a
// label, whose text a reader neither reads when a topic opens nor lets one move through;
// this exposes the pane as a read-only document with the topic's text.

namespace bmi::help {

// Makes every HelpBrowser answer assistive tools as a document (safe to call again).
void installTopicAccessible();

} // namespace bmi::help
