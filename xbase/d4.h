// The engine's public operations under their own names: engine (Code4),
// tables (Data4), tags (Tag4) and fields (Field4) by handle. Every function
// returns a 16-bit code (xbase/return_codes.h) or a value, never throws, and
// answers a null handle with rc::kParameter (or a null/zero value).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "xbase/code4.h"
#include "xbase/data4.h"
#include "xbase/return_codes.h"

namespace xbase {

// A field of a table to create: name, type (C N F D L M), length, decimals.
using Field4info = FieldDesc;

// --- Engine ----------------------------------------------------------------
Code4* d4init_v();                                     // a new engine handle; null on failure
short d4initUndo(Code4* code);                         // closes every table and ends the engine
short code4errDefaultUnique(Code4* code, short mode);  // 20: refuse duplicates, 25: skip the key
short code4errOff(Code4* code, short off);  // non-zero: no error reports; returns the old
short code4largeOn(Code4* code);
short code4lockEnforce(Code4* code, short on);   // returns the old setting
short code4accessMode(Code4* code, short mode);  // 1: deny-write for later opens
short code4errorCode(Code4* code, short value);  // sets the pending code, returns the old
// The function error reports go to while reports are on.
short code4errorCallback(Code4* code, std::function<void(short, const std::string&)> callback);
// Non-zero: d4flush (and close) also make the writes durable. Off by default.
short code4flushSync(Code4* code, short on);

// --- Tables ----------------------------------------------------------------
Data4* d4open(Code4* code, const char* path);
Data4* d4create(Code4* code, const char* path, const std::vector<Field4info>& fields,
                const std::vector<Tag4info>& tags);
short d4close(Data4* data);
short d4lock(Data4* data, long recno);
short d4lockAll(Data4* data);
// Takes the append lock: no other handle appends until this one's next flush.
short d4lockAppend(Data4* data);
short d4unlock(Data4* data);
short d4flush(Data4* data);
short d4reindex(Data4* data);
short d4pack(Data4* data);
short d4memoCompress(Data4* data);

// --- Position --------------------------------------------------------------
short d4top(Data4* data);
short d4bottom(Data4* data);
short d4skip(Data4* data, long n);
short d4goTo(Data4* data, long recno);
long d4recNo(Data4* data);  // count + 1 at end of file; -1 for a null handle
long d4recCountDo(Data4* data);
Tag4* d4tag(Data4* data, const char* name);
short d4tagSelect(Data4* data, Tag4* tag);  // null tag: record-number order
short d4seek(Data4* data, const char* key);

// --- Records and fields ----------------------------------------------------
short d4appendStartVB(Data4* data, short useMemoEntries);  // always a blank record
short d4append(Data4* data);
short d4delete(Data4* data);
short d4recall(Data4* data);
short d4deleted(Data4* data);  // 1 when the current record is marked
Field4* d4field(Data4* data, const char* name);
long f4long(Field4* field);
short f4assignNVB(Field4* field, const char* text, short length);
short f4memoAssign(Field4* field, const char* text);
long f4len_v(Field4* field);
const char* f4ptr(Field4* field);  // the field's bytes, not terminated
long f4memoLenVB(Field4* field);
const char* f4memoPtr(Field4* field);
const char* f4name(Field4* field);
void u4memCpy(char* dest, const char* source, long length);
// Copies at most size - 1 characters of source and a terminator; the count copied.
unsigned u4ncpy(char* dest, const char* source, unsigned size);

}  // namespace xbase
