// Private-profile files: named text values in named sections of a text file,
// read through a process-wide cache of 32 parsed files.
//
// A file is parsed once and again only when its modification time (to the
// nanosecond), size or inode changes. Every change rewrites the whole file
// from the cache (sections and keys sorted, case ignored) through a
// temporary file ".<name>.new" beside it, created exclusively and locked
// until it is renamed over the file. A temporary that a writer which died
// left behind (nobody holds its lock) is removed first, never followed when
// it is a link; one that a living writer holds fails the write. A name
// that is not a regular file (a pipe, a device) reads as a missing file,
// without waiting, and is never replaced.
// Section and key names match without regard to case. Every call may come
// from any thread; one lock serialises them, file input and output included.
//
// The file name is required in every call. Truth values are 1 and 0.
#pragma once

// The value of key in section, trimmed of blanks and one pair of enclosing
// quotes, cut to size - 1 characters; the default (untrimmed, empty when
// null) when the key or section is missing. With section null: the section
// names, with key null: the section's key names, each followed by a NUL and
// the list by another NUL. Returns the length written before the final NUL.
int GetPrivateProfileString(const char* section, const char* key, const char* def, char* out, int size,
                            const char* file);
// The leading decimal number of the value; def when the value is missing,
// empty or not a number (a text beginning with the digit 0 reads as 0).
int GetPrivateProfileInt(const char* section, const char* key, int def, const char* file);
// Every key=value entry of the section, each followed by a NUL, the list by
// another NUL; returns the bytes before the final NUL, size - 2 when cut.
int GetPrivateProfileSection(const char* section, char* out, unsigned size, const char* file);
// A binary value written by WritePrivateProfileStruct: size bytes as
// hexadecimal digits and a checksum byte (the sum of the bytes). False when
// the length, a digit or the checksum is wrong.
int GetPrivateProfileStruct(const char* section, const char* key, void* buffer, unsigned size,
                            const char* file);

// Sets key in section to value; a null value deletes the key, a null key
// the section. Writing the value the key already has changes nothing. False
// for a null section or an empty key, and when the file cannot be written
// (the cache then reads the file anew), or when the file was too large
// before its first section to be read whole (it is never replaced then).
int WritePrivateProfileString(const char* section, const char* key, const char* value, const char* file);
// Replaces a section with the key=value strings of list (each ended by a
// NUL, the list by an empty string).
int WritePrivateProfileSection(const char* section, const char* list, const char* file);
int WritePrivateProfileStruct(const char* section, const char* key, const void* buffer, unsigned size,
                              const char* file);

// Empties the cache (tests start anew; files are not touched).
void WINL_PrivateProfileFlushCache();
