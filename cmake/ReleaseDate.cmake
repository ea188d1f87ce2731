# The release date in the form Debian's changelog wants ("Sun, 06 Dec 2026 12:00:00 +0000"),
# from an ISO date. string(TIMESTAMP) formats only the present moment, or SOURCE_DATE_EPOCH when
# that is set: so the date becomes seconds since 1970 (noon UTC, the day in every time zone
# that matters here) for the one call, and the caller's SOURCE_DATE_EPOCH is put back.
function(lumetra_rfc2822_date date out)
    if(NOT date MATCHES "^([0-9][0-9][0-9][0-9])-([01][0-9])-([0-3][0-9])$")
        message(FATAL_ERROR "release date ${date} is not YYYY-MM-DD")
    endif()
    # Leading zeros go first: math() does not read 08 as a number.
    math(EXPR year "${CMAKE_MATCH_1}")
    math(EXPR month "1${CMAKE_MATCH_2} - 100")
    math(EXPR day "1${CMAKE_MATCH_3} - 100")
    # Days since 1970 counted in years that begin in March, so that 29 February ends a year.
    math(EXPR month_from_march "(${month} + 9) % 12")
    if(month LESS_EQUAL 2)
        math(EXPR year "${year} - 1")
    endif()
    math(EXPR days "${year} * 365 + ${year} / 4 - ${year} / 100 + ${year} / 400
        + (153 * ${month_from_march} + 2) / 5 + ${day} - 719469")
    math(EXPR noon "${days} * 86400 + 43200")

    set(caller_epoch "$ENV{SOURCE_DATE_EPOCH}")
    set(ENV{SOURCE_DATE_EPOCH} ${noon})
    string(TIMESTAMP stamp "%a, %d %b %Y %H:%M:%S +0000" UTC)
    set(ENV{SOURCE_DATE_EPOCH} "${caller_epoch}")
    set(${out} "${stamp}" PARENT_SCOPE)
endfunction()
