#pragma once

namespace tapestra {

// The statements that create an empty picture library (resources/schema.sql).
extern const char* const kLibrarySchema;

}  // namespace tapestra
