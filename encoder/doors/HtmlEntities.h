#pragma once

#include <string>
#include <string_view>

namespace orvane {

// Text with HTML's character references replaced by the characters they name, in UTF-8: the
// five of XML (&amp; &lt; &gt; &quot; &apos;), &nbsp;, and numeric ones (&#39; &#x27;). Stream
// servers pass titles through their web templates, which write these. A reference that names no
// character (an unknown name, a surrogate, beyond U+10FFFF, NUL) is left as it was. Pure.
[[nodiscard]] std::string decodeHtmlEntities(std::string_view text);

}  // namespace orvane
