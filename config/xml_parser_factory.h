#pragma once

#include <expat.h>

// The one place where the XML reader creates its expat parser, replaceable so
// that a test can make the creation fail the way it does when memory runs out.
namespace xml_parser_factory {

using CreateFunction = XML_Parser (*)(const XML_Char* encoding);

// Makes later parses create their parser with `create`; null restores
// XML_ParserCreate. Not synchronised: set it before parsing starts.
void setCreateFunction(CreateFunction create);

}  // namespace xml_parser_factory
