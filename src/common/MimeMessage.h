#pragma once
// The mail message file that carries a compressed picture: a multipart MIME message with a short
// text part and the JPEG as a base64 attachment, marked unsent so that a mail program opens it as
// a message to be sent. Every line ends with CR LF.
//
// The attachment name comes from a file name and is not trusted: control characters, quotation
// marks and backslashes never reach a header (each becomes "_", as does a byte that is not part of
// valid UTF-8). A plain ASCII name appears as it is in the subject and in the two quoted name
// parameters; a name with other characters is written as UTF-8 encoded words in the subject and
// as extended (percent-encoded, continued when long) "name*" and "filename*" parameters.
#include <string>

class TStream;

// The fixed boundary between the parts.
inline constexpr const char* SMimeBoundary = "----=_NextPart_000_0006_01C045C1.B174CB40";

// The name as it may stand in a header: controls, quotes, backslashes and broken UTF-8 as "_".
std::string MimeSafeName(const std::string& name);
// Everything before the attachment's base64 text, for the attachment name.
std::string MimeMessageHeader(const std::string& name);
// What follows the base64 text: two line ends and the closing boundary line.
std::string MimeMessageClosing();
// The whole message: header, the base64 text of jpeg from its start to its end, closing.
void WriteMimeMessage(TStream& jpeg, const std::string& name, TStream& dest);
// The message as a file at path (replaced when it exists). When anything fails the partial file is
// removed and the error propagates.
void WriteMimeMessageFile(const std::string& path, TStream& jpeg, const std::string& name);
