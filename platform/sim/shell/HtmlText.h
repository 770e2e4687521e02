// DeviceSim: the HTML of a notification as the bubble shows it — plain text
// with its line breaks, and the buttons it holds.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct HtmlButton {
    std::u16string name;  // the form's name, like "cmd:3"
    std::u16string label; // its value
};

struct HtmlText {
    std::u16string text;
    std::vector<HtmlButton> buttons;
};

// Tags are dropped except <br> (a line break), <p> (a blank line) and
// <input type=button> (a button); runs of white space are one space; the
// entities &amp; &lt; &gt; &quot; &#39; and &nbsp; are their characters.
HtmlText RenderHtml(const std::u16string &html);

} // namespace sim
