#pragma once

#include <string>

// Whether a plugin state written as text may be handed to lilv
// (lilv_state_new_from_string). The text comes from a document, and lilv and
// the libraries under it trust what they read: text nested deeply overflows
// their recursion, and valid RDF without a state subject, or with an atom
// they cannot build (a vector without its element type, a list or object that
// leads back to itself), makes them follow a null pointer. The text is read
// with serd first, as lilv reads it, and only what lilv can take is accepted:
// one subject of type pset:Preset that applies to a plugin URI, whose port
// values and state properties are atoms lilv can build within fixed bounds.
bool isReadableStateText(const std::string& text);
