#pragma once
#include "model/ProfileRow.h"
#include "model/Status.h"
#include <QVariant>
#include <array>

// Field values as the profile table takes them: typed reads and writes of one
// field, and the checks a row passes before it is stored.

// The captions the user sees for the fields (the grid's column titles where
// it has a column), used to name a field in a message.
using FieldCaptions = std::array<QString, kProfileFieldCount>;
FieldCaptions defaultFieldCaptions();

// The field's value; an invalid QVariant when it is empty.
QVariant fieldValue(const ProfileRow& row, ProfileField f);

// Puts a value into a row, converting as the typed field accessors do: a
// float field parses a decimal text, "" or null empties the field. The reason
// when the value is none of the field's.
Status assignField(ProfileRow& row, ProfileField f, const QVariant& v, const FieldCaptions& captions);

// A whole row as the fields take it: the status within its 16 bits, the
// description cut to its length, finite numbers; no date and no text are empty
// fields. The reason otherwise.
Result<ProfileRow> storableRow(const ProfileRow& row, const FieldCaptions& captions);

// A row is stored only with its depth, velocity and temperature; the reason
// names the first one missing by its caption.
Status checkRequired(const ProfileRow& row, const FieldCaptions& captions);
