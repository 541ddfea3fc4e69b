// The CoreFoundation stand-in: reference-counted strings, numbers, data,
// arrays, dictionaries, URLs, bundles and XML property lists.
#pragma once

#include "platform/corefoundation/CFArray.h"
#include "platform/corefoundation/CFBase.h"
#include "platform/corefoundation/CFBundle.h"
#include "platform/corefoundation/CFData.h"
#include "platform/corefoundation/CFDictionary.h"
#include "platform/corefoundation/CFNumber.h"
#include "platform/corefoundation/CFPropertyList.h"
#include "platform/corefoundation/CFString.h"
#include "platform/corefoundation/CFURL.h"
