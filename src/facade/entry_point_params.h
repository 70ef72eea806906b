// Parameter lists generated from the vendor entry points' function-pointer types, so that the facade's
// operations take exactly the parameters of their entry point without restating 160 prototypes.
//
//   VESK_PARAMS(GetSessionState_t, 1)   ->  ULONG* a0
//   VESK_ARGS(2)                        ->  a0, a1
//   VESK_TRAILING_ARGS(2)               ->  , a0, a1   (nothing for 0)
#pragma once

#include <cstddef>
#include <tuple>

#include "facade/vendor_api.h"

namespace VeskSDKFacade::detail {

template <typename F, std::size_t I>
struct ParamAt;

template <typename... A, std::size_t I>
struct ParamAt<ULONG (*)(A...), I> {
  using type = std::tuple_element_t<I, std::tuple<A...>>;
};

template <typename F, std::size_t I>
using Param = typename ParamAt<F, I>::type;

}  // namespace VeskSDKFacade::detail

// Refusing operations ignore their parameters, hence [[maybe_unused]].
#define VESK_PARAM(F, i) [[maybe_unused]] ::VeskSDKFacade::detail::Param<F, i> a##i

#define VESK_PARAMS_0(F)
#define VESK_PARAMS_1(F) VESK_PARAM(F, 0)
#define VESK_PARAMS_2(F) VESK_PARAMS_1(F), VESK_PARAM(F, 1)
#define VESK_PARAMS_3(F) VESK_PARAMS_2(F), VESK_PARAM(F, 2)
#define VESK_PARAMS_4(F) VESK_PARAMS_3(F), VESK_PARAM(F, 3)
#define VESK_PARAMS_5(F) VESK_PARAMS_4(F), VESK_PARAM(F, 4)
#define VESK_PARAMS_6(F) VESK_PARAMS_5(F), VESK_PARAM(F, 5)
#define VESK_PARAMS_7(F) VESK_PARAMS_6(F), VESK_PARAM(F, 6)
#define VESK_PARAMS_8(F) VESK_PARAMS_7(F), VESK_PARAM(F, 7)
#define VESK_PARAMS_9(F) VESK_PARAMS_8(F), VESK_PARAM(F, 8)
#define VESK_PARAMS_10(F) VESK_PARAMS_9(F), VESK_PARAM(F, 9)
#define VESK_PARAMS_11(F) VESK_PARAMS_10(F), VESK_PARAM(F, 10)
#define VESK_PARAMS_12(F) VESK_PARAMS_11(F), VESK_PARAM(F, 11)
#define VESK_PARAMS(F, count) VESK_PARAMS_##count(F)

#define VESK_ARGS_0
#define VESK_ARGS_1 a0
#define VESK_ARGS_2 VESK_ARGS_1, a1
#define VESK_ARGS_3 VESK_ARGS_2, a2
#define VESK_ARGS_4 VESK_ARGS_3, a3
#define VESK_ARGS_5 VESK_ARGS_4, a4
#define VESK_ARGS_6 VESK_ARGS_5, a5
#define VESK_ARGS_7 VESK_ARGS_6, a6
#define VESK_ARGS_8 VESK_ARGS_7, a7
#define VESK_ARGS_9 VESK_ARGS_8, a8
#define VESK_ARGS_10 VESK_ARGS_9, a9
#define VESK_ARGS_11 VESK_ARGS_10, a10
#define VESK_ARGS_12 VESK_ARGS_11, a11
#define VESK_ARGS(count) VESK_ARGS_##count

#define VESK_TRAILING_ARGS_0
#define VESK_TRAILING_ARGS_1 , VESK_ARGS_1
#define VESK_TRAILING_ARGS_2 , VESK_ARGS_2
#define VESK_TRAILING_ARGS_3 , VESK_ARGS_3
#define VESK_TRAILING_ARGS_4 , VESK_ARGS_4
#define VESK_TRAILING_ARGS_5 , VESK_ARGS_5
#define VESK_TRAILING_ARGS_6 , VESK_ARGS_6
#define VESK_TRAILING_ARGS_7 , VESK_ARGS_7
#define VESK_TRAILING_ARGS_8 , VESK_ARGS_8
#define VESK_TRAILING_ARGS_9 , VESK_ARGS_9
#define VESK_TRAILING_ARGS_10 , VESK_ARGS_10
#define VESK_TRAILING_ARGS_11 , VESK_ARGS_11
#define VESK_TRAILING_ARGS_12 , VESK_ARGS_12
#define VESK_TRAILING_ARGS(count) VESK_TRAILING_ARGS_##count
