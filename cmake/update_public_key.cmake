# Reads the maker's update key: an EC P-256 public key in PEM, as
# "openssl ec -in maker-key.pem -pubout -out update-key.pem" writes it (a
# SubjectPublicKeyInfo holding an uncompressed point), and gives its 64
# coordinate bytes, x then y, as C initialiser text. Anything else is
# refused with a message that says what the file holds instead. The form of
# the key is read here, in CMake itself; whether its point lies on the curve
# is arithmetic that CMake cannot do, so openssl must also load the file as
# exactly that P-256 key. A key that Windows could not import would make the
# program refuse every list, and no update could ever reach its users.
#
# In a build:   include(update_public_key.cmake)
#               brantle_read_update_public_key(<file> <out variable>)
# On its own:   cmake -DKEY=<file> -P cmake/update_public_key.cmake
#               prints the 64 bytes in hexadecimal, or fails.

# The DER of a P-256 SubjectPublicKeyInfo up to the point: SEQUENCE {
# SEQUENCE { OID ecPublicKey, OID prime256v1 }, BIT STRING of 66 bytes:
# no unused bits, 04 (uncompressed), then x and y.
set(BRANTLE_P256_KEY_PREFIX "3059301306072a8648ce3d020106082a8648ce3d03010703420004")
set(BRANTLE_EC_PUBLIC_KEY_OID "06072a8648ce3d0201")
set(BRANTLE_P256_CURVE_OID "06082a8648ce3d030107")
# A PEM file much larger than a key is no key.
set(BRANTLE_UPDATE_KEY_MAX_FILE_BYTES 16384)
# The openssl program that judges the point; -DBRANTLE_OPENSSL=<path> names another.
find_program(BRANTLE_OPENSSL openssl)

# Decodes standard base64 (no blanks) into lower-case hexadecimal; sets
# <out> to "" when the text is not base64.
function(brantle_base64_to_hex text out)
  set(${out} "" PARENT_SCOPE)
  string(LENGTH "${text}" length)
  math(EXPR remainder "${length} % 4")
  if(length EQUAL 0 OR NOT remainder EQUAL 0 OR NOT text MATCHES "^[A-Za-z0-9+/]+=?=?$")
    return()
  endif()
  string(REGEX REPLACE "=+$" "" text "${text}")
  string(LENGTH "${text}" length)
  set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  set(digits "0123456789abcdef")
  set(hex "")
  set(bits 0)
  set(bit_count 0)
  math(EXPR last "${length} - 1")
  foreach(i RANGE ${last})
    string(SUBSTRING "${text}" ${i} 1 character)
    string(FIND "${alphabet}" "${character}" value)
    math(EXPR bits "(${bits} << 6) | ${value}")
    math(EXPR bit_count "${bit_count} + 6")
    if(bit_count GREATER_EQUAL 8)
      math(EXPR bit_count "${bit_count} - 8")
      math(EXPR byte "(${bits} >> ${bit_count}) & 255")
      math(EXPR bits "${bits} & ((1 << ${bit_count}) - 1)")
      math(EXPR high "${byte} >> 4")
      math(EXPR low "${byte} & 15")
      string(SUBSTRING "${digits}" ${high} 1 high)
      string(SUBSTRING "${digits}" ${low} 1 low)
      string(APPEND hex "${high}${low}")
    endif()
  endforeach()
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

# Stops the configure step unless openssl loads the file at `path` as a P-256
# public key whose point is exactly `coordinates` (128 hexadecimal digits):
# OpenSSL refuses a point that is not on the curve or has a coordinate
# beyond the field, as Windows does when the program imports the key.
function(brantle_check_point_with_openssl path coordinates what how)
  if(NOT BRANTLE_OPENSSL OR NOT EXISTS "${BRANTLE_OPENSSL}")
    message(FATAL_ERROR "${what}: openssl is needed to check that the key is a point of the P-256 curve, "
                        "and was not found. Install it (Debian: apt-get install openssl), or give its path "
                        "as BRANTLE_OPENSSL.")
  endif()
  # A relative path names the same file as for file(READ).
  get_filename_component(path "${path}" ABSOLUTE)
  execute_process(COMMAND "${BRANTLE_OPENSSL}" pkey -pubin -in "${path}" -noout -text
                  RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_QUIET)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what}: OpenSSL cannot load it as a public key: its point is not a point of the "
                        "P-256 curve. The file is damaged, or was not written by openssl. ${how}.")
  endif()
  # "pub:", the point as colon-separated hexadecimal over several lines,
  # then the curve's name.
  if(NOT text MATCHES "pub:[\r\n]+([0-9a-f: \r\n]+)ASN1 OID: ([A-Za-z0-9]+)")
    message(FATAL_ERROR "${what}: OpenSSL does not read it as an elliptic-curve key. ${how}.")
  endif()
  set(curve "${CMAKE_MATCH_2}")
  string(REGEX REPLACE "[: \r\n]" "" point "${CMAKE_MATCH_1}")
  if(NOT curve STREQUAL "prime256v1" OR NOT point STREQUAL "04${coordinates}")
    message(FATAL_ERROR "${what}: OpenSSL reads another key from it (curve ${curve}) than the one in its "
                        "PEM block. ${how}.")
  endif()
endfunction()

# Sets <out> to the key's 64 bytes as "0x..,0x..,..." or stops the
# configure step with a message naming the file.
function(brantle_read_update_public_key path out)
  set(what "BRANTLE_UPDATE_PUBLIC_KEY (${path})")
  set(how "Give the maker's public key in PEM, as \"openssl ec -in maker-key.pem -pubout -out update-key.pem\" writes it")
  if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
    message(FATAL_ERROR "${what}: no such file. ${how}.")
  endif()
  file(SIZE "${path}" size)
  if(size GREATER BRANTLE_UPDATE_KEY_MAX_FILE_BYTES)
    message(FATAL_ERROR "${what}: ${size} bytes, far too large for a public key. ${how}.")
  endif()
  file(READ "${path}" pem)
  if(pem MATCHES "PRIVATE KEY")
    message(FATAL_ERROR "${what}: the file holds a private key. The program carries only the public key; "
                        "keep the private key away from the build. ${how}.")
  endif()
  string(REGEX MATCHALL "-----BEGIN PUBLIC KEY-----" begins "${pem}")
  list(LENGTH begins block_count)
  if(NOT block_count EQUAL 1 OR
     NOT pem MATCHES "-----BEGIN PUBLIC KEY-----([A-Za-z0-9+/=\r\n\t ]*)-----END PUBLIC KEY-----")
    message(FATAL_ERROR "${what}: not one PEM block \"BEGIN PUBLIC KEY\". ${how}.")
  endif()
  string(REGEX REPLACE "[\r\n\t ]" "" base64 "${CMAKE_MATCH_1}")
  brantle_base64_to_hex("${base64}" der)
  if(der STREQUAL "")
    message(FATAL_ERROR "${what}: the PEM block is not base64. ${how}.")
  endif()

  string(LENGTH "${BRANTLE_P256_KEY_PREFIX}" prefix_length)
  string(LENGTH "${der}" der_length)
  math(EXPR expected_length "${prefix_length} + 128")
  string(SUBSTRING "${der}" 0 ${prefix_length} prefix)
  if(NOT der_length EQUAL expected_length OR NOT prefix STREQUAL BRANTLE_P256_KEY_PREFIX)
    string(FIND "${der}" "${BRANTLE_EC_PUBLIC_KEY_OID}" ec_at)
    string(FIND "${der}" "${BRANTLE_P256_CURVE_OID}" curve_at)
    if(ec_at EQUAL -1)
      set(found "not an elliptic-curve key (RSA, Ed25519 or another kind)")
    elseif(curve_at EQUAL -1)
      set(found "an elliptic-curve key on another curve than P-256 (prime256v1)")
    elseif(der MATCHES "^3039.*03220002" OR der MATCHES "^3039.*03220003")
      set(found "a P-256 key with its point compressed; write it without -conv_form")
    else()
      set(found "not a P-256 public key in the expected form")
    endif()
    message(FATAL_ERROR "${what}: ${found}. ${how}.")
  endif()

  string(SUBSTRING "${der}" ${prefix_length} 128 coordinates)
  brantle_check_point_with_openssl("${path}" "${coordinates}" "${what}" "${how}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${coordinates}")
  string(REGEX REPLACE ",$" "" bytes "${bytes}")
  set(${out} "${bytes}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(NOT DEFINED KEY)
    message(FATAL_ERROR "usage: cmake -DKEY=<public key PEM> -P ${CMAKE_CURRENT_LIST_FILE}")
  endif()
  brantle_read_update_public_key("${KEY}" bytes)
  string(REGEX REPLACE "0x|," "" hex "${bytes}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E echo "${hex}")
endif()
