#include "dependence/copulas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "dependence/copula_tables.h"
#include "dependence/generator.h"

namespace tesmira {
namespace {

// The last of the four Gumbel variants.
constexpr int kLastCopula = CopulaGumbel + 3;

enum class Family { Frank, Clayton, Gumbel, Normal };

// h(x | u) and h^-1(x | u) of the base copulas, computed independently with
// 40-digit arithmetic from the copula functions (h by differentiating C, the
// inverse by bisection); the normal copula from the exact normal functions.
struct TClosedFormCase {
  Family family;
  double p, u, x;
  double h, inverse;
};

const TClosedFormCase kClosedForm[] = {
    {Family::Frank, -8.0, 0.05, 0.02, 8.686041594512805e-05, 0.46485233839633217},
    {Family::Frank, -8.0, 0.05, 0.4, 0.01173526183628666, 0.85323446902541833},
    {Family::Frank, -8.0, 0.05, 0.8, 0.27365718519548521, 0.9603948622925782},
    {Family::Frank, -8.0, 0.05, 0.99, 0.94710486856686249, 0.99813106591107281},
    {Family::Frank, -8.0, 0.3, 0.02, 0.00064146050379459518, 0.23410711717292448},
    {Family::Frank, -8.0, 0.3, 0.4, 0.080664505551041238, 0.64266825143598816},
    {Family::Frank, -8.0, 0.3, 0.8, 0.73572264619850092, 0.83470303740939689},
    {Family::Frank, -8.0, 0.3, 0.99, 0.99249832148225003, 0.98680827045335295},
    {Family::Frank, -8.0, 0.77, 0.02, 0.026827828813832617, 0.015105862864950196},
    {Family::Frank, -8.0, 0.77, 0.4, 0.79028555557949232, 0.20585094200957901},
    {Family::Frank, -8.0, 0.77, 0.8, 0.99170566887516831, 0.40710215516657572},
    {Family::Frank, -8.0, 0.77, 0.99, 0.99982404363069599, 0.78085446088995847},
    {Family::Frank, -8.0, 0.95, 0.02, 0.10422649040594685, 0.0037476155809649117},
    {Family::Frank, -8.0, 0.95, 0.4, 0.94084668278779371, 0.086260597660203636},
    {Family::Frank, -8.0, 0.95, 0.8, 0.9980223256722035, 0.2424034746104623},
    {Family::Frank, -8.0, 0.95, 0.99, 0.99995830545357578, 0.61918893708208489},
    {Family::Frank, 2.5, 0.05, 0.02, 0.047183317507705817, 0.0083862725944319032},
    {Family::Frank, 2.5, 0.05, 0.4, 0.66123604533055247, 0.2010208536831227},
    {Family::Frank, 2.5, 0.05, 0.8, 0.93476741752400894, 0.55773799134761326},
    {Family::Frank, 2.5, 0.05, 0.99, 0.99743553219972536, 0.96231207217892623},
    {Family::Frank, 2.5, 0.3, 0.02, 0.025821624118581028, 0.01550267671177317},
    {Family::Frank, 2.5, 0.3, 0.4, 0.51095007726708785, 0.30822561374764823},
    {Family::Frank, 2.5, 0.3, 0.8, 0.88466199679033097, 0.68807138228647424},
    {Family::Frank, 2.5, 0.3, 0.99, 0.99521958741230165, 0.97930375401585956},
    {Family::Frank, 2.5, 0.77, 0.02, 0.0081191128020114064, 0.047809230291214762},
    {Family::Frank, 2.5, 0.77, 0.4, 0.24394106201133267, 0.55954391636362577},
    {Family::Frank, 2.5, 0.77, 0.8, 0.70314903819151608, 0.86728277431668555},
    {Family::Frank, 2.5, 0.77, 0.99, 0.98468420814598967, 0.9934723231601551},
    {Family::Frank, 2.5, 0.95, 0.02, 0.0051922512078890906, 0.072206388002670735},
    {Family::Frank, 2.5, 0.95, 0.4, 0.17062663485113189, 0.65498383446481478},
    {Family::Frank, 2.5, 0.95, 0.8, 0.60164851565346344, 0.90942501321406255},
    {Family::Frank, 2.5, 0.95, 0.99, 0.97618732611747094, 0.99582326578345459},
    {Family::Frank, 30.0, 0.05, 0.02, 0.15500538866195668, 0.00291730122797885},
    {Family::Frank, 30.0, 0.05, 0.4, 0.99997246414012331, 0.046107929106849389},
    {Family::Frank, 30.0, 0.05, 0.8, 0.99999999983122956, 0.098019219906701288},
    {Family::Frank, 30.0, 0.05, 0.99, 0.99999999999985323, 0.2032457051335701},
    {Family::Frank, 30.0, 0.3, 0.02, 0.00010144722750806282, 0.17047361906863367},
    {Family::Frank, 30.0, 0.3, 0.4, 0.95257384993386129, 0.28649066629869496},
    {Family::Frank, 30.0, 0.3, 0.8, 0.99999969485602869, 0.34621084033539873},
    {Family::Frank, 30.0, 0.3, 0.99, 0.99999999973471743, 0.45317070072100485},
    {Family::Frank, 30.0, 0.77, 0.02, 7.6336465554249371e-11, 0.6402719713200371},
    {Family::Frank, 30.0, 0.77, 0.4, 1.5112002820606831e-05, 0.75646210868910868},
    {Family::Frank, 30.0, 0.77, 0.8, 0.71145925217906958, 0.81607571075696639},
    {Family::Frank, 30.0, 0.77, 0.99, 0.99964754166218073, 0.92000060314482346},
    {Family::Frank, 30.0, 0.95, 0.02, 3.4477982557493149e-13, 0.82012121205967503},
    {Family::Frank, 30.0, 0.95, 0.4, 6.8255610764485776e-08, 0.93186191675212482},
    {Family::Frank, 30.0, 0.95, 0.8, 0.011013943513917841, 0.97494615827758546},
    {Family::Frank, 30.0, 0.95, 0.99, 0.92758867004602896, 0.99852417234252211},
    {Family::Clayton, 0.5, 0.05, 0.02, 0.076318037326184807, 0.0059141078998199226},
    {Family::Clayton, 0.5, 0.05, 0.4, 0.69314843839538987, 0.1482154409321936},
    {Family::Clayton, 0.5, 0.05, 0.8, 0.9248231636519143, 0.55251570701436681},
    {Family::Clayton, 0.5, 0.05, 0.99, 0.99662813039066755, 0.97064782461410637},
    {Family::Clayton, 0.5, 0.3, 0.02, 0.012358424414965728, 0.028723982244570477},
    {Family::Clayton, 0.5, 0.3, 0.4, 0.43647003233807985, 0.36634474956464974},
    {Family::Clayton, 0.5, 0.3, 0.8, 0.82866610223430637, 0.76814771686957106},
    {Family::Clayton, 0.5, 0.3, 0.99, 0.99176749884927706, 0.98785830342729797},
    {Family::Clayton, 0.5, 0.77, 0.02, 0.0039476296760751163, 0.060704098567433938},
    {Family::Clayton, 0.5, 0.77, 0.4, 0.29047895281480196, 0.505084612321823},
    {Family::Clayton, 0.5, 0.77, 0.8, 0.7440380434151519, 0.8447813930512601},
    {Family::Clayton, 0.5, 0.77, 0.99, 0.98685440061919738, 0.99239523292163279},
    {Family::Clayton, 0.5, 0.95, 0.02, 0.0030212154818805509, 0.070968791351337365},
    {Family::Clayton, 0.5, 0.95, 0.4, 0.26017883169158906, 0.53553521625181977},
    {Family::Clayton, 0.5, 0.95, 0.8, 0.7213108484522589, 0.85857325202065271},
    {Family::Clayton, 0.5, 0.95, 0.99, 0.98541272360530618, 0.99314958590620039},
    {Family::Clayton, 2.0, 0.05, 0.02, 0.051252807974380636, 0.014100130125692539},
    {Family::Clayton, 2.0, 0.05, 0.4, 0.98063062412912061, 0.054408421683600917},
    {Family::Clayton, 2.0, 0.05, 0.8, 0.99789432681210122, 0.12388341919969316},
    {Family::Clayton, 2.0, 0.05, 0.99, 0.99992386464104444, 0.52064353249614448},
    {Family::Clayton, 2.0, 0.3, 0.02, 0.00029450781026386566, 0.084307961698172132},
    {Family::Clayton, 2.0, 0.3, 0.4, 0.55965069163350023, 0.31074892085380112},
    {Family::Clayton, 2.0, 0.3, 0.8, 0.92859941091974874, 0.59952391715343401},
    {Family::Clayton, 2.0, 0.3, 0.99, 0.99726520096198012, 0.96462164504740089},
    {Family::Clayton, 2.0, 0.77, 0.02, 1.7516160564129005e-05, 0.21221715595928822},
    {Family::Clayton, 2.0, 0.77, 0.4, 0.11989622059419335, 0.64280245092260613},
    {Family::Clayton, 2.0, 0.77, 0.8, 0.64939272156478667, 0.88717142712122643},
    {Family::Clayton, 2.0, 0.77, 0.99, 0.98221055228754794, 0.99437840674603295},
    {Family::Clayton, 2.0, 0.95, 0.02, 9.3302014503019512e-06, 0.25880094418038341},
    {Family::Clayton, 2.0, 0.95, 0.4, 0.072752009386881325, 0.71926041292256571},
    {Family::Clayton, 2.0, 0.95, 0.8, 0.54018995162511318, 0.92146314986517397},
    {Family::Clayton, 2.0, 0.95, 0.99, 0.97312979841174296, 0.9962961805526046},
    {Family::Clayton, 10.0, 0.05, 0.02, 4.193820268142981e-05, 0.03513789779293601},
    {Family::Clayton, 10.0, 0.05, 0.4, 0.99999999897565262, 0.048704527449271451},
    {Family::Clayton, 10.0, 0.05, 0.8, 0.99999999999910694, 0.058045879777768088},
    {Family::Clayton, 10.0, 0.05, 0.99, 0.99999999999998868, 0.079926843880119142},
    {Family::Clayton, 10.0, 0.3, 0.02, 1.1561019943866356e-13, 0.21082738310000743},
    {Family::Clayton, 10.0, 0.3, 0.4, 0.94152216961863566, 0.29222703197900146},
    {Family::Clayton, 10.0, 0.3, 0.8, 0.99994600513969112, 0.34827436425263586},
    {Family::Clayton, 10.0, 0.3, 0.99, 0.99999931326004365, 0.47953022221159036},
    {Family::Clayton, 10.0, 0.77, 0.02, 3.6302118943115502e-18, 0.54100728100408368},
    {Family::Clayton, 10.0, 0.77, 0.4, 0.00074238422354692621, 0.74594917130508476},
    {Family::Clayton, 10.0, 0.77, 0.8, 0.59260261573625905, 0.86905057630703175},
    {Family::Clayton, 10.0, 0.77, 0.99, 0.99154781962500294, 0.98826659007783446},
    {Family::Clayton, 10.0, 0.95, 0.02, 3.6005620037849587e-19, 0.66645686348988287},
    {Family::Clayton, 10.0, 0.95, 0.4, 7.3733810112163706e-05, 0.89098991391160753},
    {Family::Clayton, 10.0, 0.95, 0.8, 0.13990512522255208, 0.96861260475471},
    {Family::Clayton, 10.0, 0.95, 0.99, 0.93471091443390575, 0.99847980509283696},
    {Family::Gumbel, 1.3, 0.05, 0.02, 0.044604503679004558, 0.0085001550527252848},
    {Family::Gumbel, 1.3, 0.05, 0.4, 0.59002515421456314, 0.24103113847475457},
    {Family::Gumbel, 1.3, 0.05, 0.8, 0.91740968240418441, 0.62711958957107616},
    {Family::Gumbel, 1.3, 0.05, 0.99, 0.99846179033517091, 0.95831978046272193},
    {Family::Gumbel, 1.3, 0.3, 0.02, 0.023703428154801191, 0.016928608977093595},
    {Family::Gumbel, 1.3, 0.3, 0.4, 0.48167470779148858, 0.32963900251310058},
    {Family::Gumbel, 1.3, 0.3, 0.8, 0.88100085059176669, 0.70549828884600363},
    {Family::Gumbel, 1.3, 0.3, 0.99, 0.99770561952931902, 0.96917396357582042},
    {Family::Gumbel, 1.3, 0.77, 0.02, 0.010481412461741587, 0.036518886156658506},
    {Family::Gumbel, 1.3, 0.77, 0.4, 0.29890838578494888, 0.504294773070181},
    {Family::Gumbel, 1.3, 0.77, 0.8, 0.74873696792442301, 0.83775587655531547},
    {Family::Gumbel, 1.3, 0.77, 0.99, 0.99380041603580171, 0.98553472137854914},
    {Family::Gumbel, 1.3, 0.95, 0.02, 0.0056699593096307729, 0.063608972303839592},
    {Family::Gumbel, 1.3, 0.95, 0.4, 0.17346528553449508, 0.70419883202018008},
    {Family::Gumbel, 1.3, 0.95, 0.8, 0.51184695870767338, 0.94310226337300673},
    {Family::Gumbel, 1.3, 0.95, 0.99, 0.96960757059743741, 0.99587874218303463},
    {Family::Gumbel, 2.5, 0.05, 0.02, 0.10330796222008481, 0.0043748403783875371},
    {Family::Gumbel, 2.5, 0.05, 0.4, 0.91271607153985235, 0.085374128231018517},
    {Family::Gumbel, 2.5, 0.05, 0.8, 0.99728210978622633, 0.26609648790801754},
    {Family::Gumbel, 2.5, 0.05, 0.99, 0.99999882765883397, 0.68624600674561376},
    {Family::Gumbel, 2.5, 0.3, 0.02, 0.01017947074283264, 0.032977980531553125},
    {Family::Gumbel, 2.5, 0.3, 0.4, 0.63167402469219658, 0.27454310944335963},
    {Family::Gumbel, 2.5, 0.3, 0.8, 0.98422713565921127, 0.51560810244307431},
    {Family::Gumbel, 2.5, 0.3, 0.99, 0.99999311396186341, 0.83062375702351965},
    {Family::Gumbel, 2.5, 0.77, 0.02, 0.00044742830078693528, 0.21895362043452279},
    {Family::Gumbel, 2.5, 0.77, 0.4, 0.075941122743663714, 0.68687957280384759},
    {Family::Gumbel, 2.5, 0.77, 0.8, 0.69161104177216026, 0.83920073000836148},
    {Family::Gumbel, 2.5, 0.77, 0.99, 0.99979576058152098, 0.95325155823087915},
    {Family::Gumbel, 2.5, 0.95, 0.02, 3.1606519380516306e-05, 0.5996602803673815},
    {Family::Gumbel, 2.5, 0.95, 0.4, 0.0055727070978043138, 0.92060384322250566},
    {Family::Gumbel, 2.5, 0.95, 0.8, 0.091219373791145503, 0.96401552682113889},
    {Family::Gumbel, 2.5, 0.95, 0.99, 0.98959674838696687, 0.99015818373970033},
    {Family::Gumbel, 8.0, 0.05, 0.02, 0.053014626609533634, 0.013561059385028803},
    {Family::Gumbel, 8.0, 0.05, 0.4, 0.99990429597565844, 0.04889759502449266},
    {Family::Gumbel, 8.0, 0.05, 0.8, 0.99999999881593549, 0.087005904024880315},
    {Family::Gumbel, 8.0, 0.05, 0.99, 1, 0.19394238507909145},
    {Family::Gumbel, 8.0, 0.3, 0.02, 1.7432834344222246e-05, 0.14977020782630379},
    {Family::Gumbel, 8.0, 0.3, 0.4, 0.89630145716265275, 0.28407230911849285},
    {Family::Gumbel, 8.0, 0.3, 0.8, 0.99999857217518295, 0.36473259939851504},
    {Family::Gumbel, 8.0, 0.3, 0.99, 1, 0.5087764806078463},
    {Family::Gumbel, 8.0, 0.77, 0.02, 1.5433297731618886e-10, 0.64120483003415796},
    {Family::Gumbel, 8.0, 0.77, 0.4, 7.9808039356422817e-05, 0.75574197612611527},
    {Family::Gumbel, 8.0, 0.77, 0.8, 0.79786252414306658, 0.80029980564839209},
    {Family::Gumbel, 8.0, 0.77, 0.99, 0.99999999999566092, 0.8616011019377483},
    {Family::Gumbel, 8.0, 0.95, 0.02, 1.4025577167849675e-15, 0.91477508954810638},
    {Family::Gumbel, 8.0, 0.95, 0.4, 7.2531637398992171e-10, 0.94619647534254958},
    {Family::Gumbel, 8.0, 0.95, 0.8, 2.8555981595507364e-05, 0.95704662877248292},
    {Family::Gumbel, 8.0, 0.95, 0.99, 0.9999980851367738, 0.97108392824375167},
    {Family::Normal, -0.6, 0.05, 0.02, 7.2107169518189626e-05, 0.25588408952169572},
    {Family::Normal, -0.6, 0.05, 0.4, 0.060531872957459168, 0.78354873565228811},
    {Family::Normal, -0.6, 0.05, 0.8, 0.42794295684145389, 0.95156380903059112},
    {Family::Normal, -0.6, 0.05, 0.99, 0.95296364456278282, 0.99780018793632042},
    {Family::Normal, -0.6, 0.3, 0.02, 0.0015357678007104256, 0.092029798199186649},
    {Family::Normal, -0.6, 0.3, 0.4, 0.23885694739617794, 0.54457347948737977},
    {Family::Normal, -0.6, 0.3, 0.8, 0.74496418360331695, 0.83840832046025882},
    {Family::Normal, -0.6, 0.3, 0.99, 0.99404220716330027, 0.98521184599412182},
    {Family::Normal, -0.6, 0.77, 0.02, 0.022054632097864735, 0.018475400727525557},
    {Family::Normal, -0.6, 0.77, 0.4, 0.59384663578856234, 0.25914427842110049},
    {Family::Normal, -0.6, 0.77, 0.8, 0.94588080461155932, 0.59094979366792222},
    {Family::Normal, -0.6, 0.77, 0.99, 0.999731981120625, 0.92187106494253368},
    {Family::Normal, -0.6, 0.95, 0.02, 0.09117635862744064, 0.0042703573847238116},
    {Family::Normal, -0.6, 0.95, 0.4, 0.82041724081161993, 0.1171038168703871},
    {Family::Normal, -0.6, 0.95, 0.8, 0.98886311941880778, 0.37690666088558938},
    {Family::Normal, -0.6, 0.95, 0.99, 0.99998275355250055, 0.80898610400111892},
    {Family::Normal, 0.3, 0.05, 0.02, 0.050958387053590161, 0.0070912461400222055},
    {Family::Normal, 0.3, 0.05, 0.4, 0.59936452953330621, 0.23112899911796095},
    {Family::Normal, 0.3, 0.05, 0.8, 0.91917464054269538, 0.62149113638506004},
    {Family::Normal, 0.3, 0.05, 0.99, 0.99844150100056062, 0.95780275187266239},
    {Family::Normal, 0.3, 0.3, 0.02, 0.023405982696651128, 0.017152352715111306},
    {Family::Normal, 0.3, 0.3, 0.4, 0.45990875579915519, 0.34494738057673774},
    {Family::Normal, 0.3, 0.3, 0.8, 0.85249058849337234, 0.74070983582602934},
    {Family::Normal, 0.3, 0.3, 0.99, 0.99538736849169873, 0.98039014656398482},
    {Family::Normal, 0.3, 0.77, 0.02, 0.0085332853524218433, 0.041149693844769554},
    {Family::Normal, 0.3, 0.77, 0.4, 0.30926439595480038, 0.49201224182318171},
    {Family::Normal, 0.3, 0.77, 0.8, 0.7421222991741534, 0.84720266695046764},
    {Family::Normal, 0.3, 0.77, 0.99, 0.98631915060699393, 0.9926735995647693},
    {Family::Normal, 0.3, 0.95, 0.02, 0.0037903448455398761, 0.071365629290458241},
    {Family::Normal, 0.3, 0.95, 0.4, 0.21685394171779995, 0.59939380560280831},
    {Family::Normal, 0.3, 0.95, 0.8, 0.64243542981426727, 0.90256591892356985},
    {Family::Normal, 0.3, 0.95, 0.99, 0.9726588888105786, 0.99666262701924846},
    {Family::Normal, 0.9, 0.05, 0.02, 0.094183483875767235, 0.0087607761764956407},
    {Family::Normal, 0.9, 0.05, 0.4, 0.99756098349626476, 0.055827329545133766},
    {Family::Normal, 0.9, 0.05, 0.8, 0.99999995007845865, 0.13274385367583222},
    {Family::Normal, 0.9, 0.05, 0.99, 1, 0.32048724399510437},
    {Family::Normal, 0.9, 0.3, 0.02, 0.00014233139804191832, 0.085786192217410462},
    {Family::Normal, 0.9, 0.3, 0.4, 0.69200212530587313, 0.28015136696621951},
    {Family::Normal, 0.9, 0.3, 0.8, 0.99870900323296941, 0.45814574172538602},
    {Family::Normal, 0.9, 0.3, 0.99, 0.99999999993175515, 0.70611522547741157},
    {Family::Normal, 0.9, 0.77, 0.02, 2.2280595652804196e-10, 0.40895021962325295},
    {Family::Normal, 0.9, 0.77, 0.4, 0.017569803655445637, 0.71039215693159352},
    {Family::Normal, 0.9, 0.77, 0.8, 0.65736550683323913, 0.84892092191803148},
    {Family::Normal, 0.9, 0.77, 0.99, 0.99993093144411049, 0.95342336355694701},
    {Family::Normal, 0.9, 0.95, 0.02, 2.576782196485996e-16, 0.72077988681202809},
    {Family::Normal, 0.9, 0.95, 0.4, 3.483413518647728e-05, 0.914646687985044},
    {Family::Normal, 0.9, 0.95, 0.8, 0.071407791806361448, 0.96764254687240647},
    {Family::Normal, 0.9, 0.95, 0.99, 0.97385935622136344, 0.99369148270869878},
};

double BaseH(Family f, double v, double u, double p) {
  switch (f) {
    case Family::Frank: return FrankH(v, u, p);
    case Family::Clayton: return ClaytonH(v, u, p);
    case Family::Gumbel: return GumbelH(v, u, p);
    default: return NormalH(v, u, p);
  }
}

double BaseHInverse(Family f, double t, double u, double p) {
  switch (f) {
    case Family::Frank: return FrankHInverse(t, u, p);
    case Family::Clayton: return ClaytonHInverse(t, u, p);
    case Family::Gumbel: return GumbelHInverse(t, u, p);
    default: return NormalHInverse(t, u, p);
  }
}

// The type whose positive (unturned) variant is the base copula.
int BaseType(Family f) {
  switch (f) {
    case Family::Frank: return CopulaFrank;
    case Family::Clayton: return 5;
    case Family::Gumbel: return 11;
    default: return CopulaNormal;
  }
}

TEST(Copulas, BaseCopulasAgreeWithClosedForms) {
  for (const auto& c : kClosedForm) {
    SCOPED_TRACE(testing::Message() << "family " << static_cast<int>(c.family) << " p " << c.p
                                    << " u " << c.u << " x " << c.x);
    // The normal copula rests on the fitted normal functions (errors near 1e-7).
    const bool normal = c.family == Family::Normal;
    const double tolH = normal ? 1e-6 : 1e-11;
    const double tolInverse = normal ? 1e-6 : 1e-10;
    EXPECT_NEAR(BaseH(c.family, c.x, c.u, c.p), c.h, tolH);
    EXPECT_NEAR(BaseHInverse(c.family, c.x, c.u, c.p), c.inverse, tolInverse);
    // The same through the dispatch of the copula types.
    EXPECT_NEAR(ConditionalCdf(BaseType(c.family), c.p, c.u, c.x), c.h, tolH);
    EXPECT_NEAR(ConditionalInverse(BaseType(c.family), c.p, c.u, c.x), c.inverse, tolInverse);
    if (c.family == Family::Gumbel) {
      // The bracketed root finder reaches the same root to its tolerance.
      EXPECT_NEAR(GumbelHInverseBracketed(c.x, c.u, c.p), c.inverse, 5e-6);
    }
  }
  EXPECT_FALSE(CopulaFaultPending());
}

// Inverses at the far ends of t, u and the parameter, against 50-digit
// values: t within a few ulps of 1 (where -ln t carries the digits), u near 0
// or 1, parameters near 1 and near the Frank cut-off, results far below 1.
struct TEndCase {
  Family family;
  double p, u, t;
  double inverse;
};

const TEndCase kEndCases[] = {
    {Family::Gumbel, 103.0, 0.5304131992981101, 0.9999999999999981, 0.63364452497936011},
    {Family::Gumbel, 30.0, 0.6707656239899997, 0.9999999999999958, 0.87583487344665236},
    {Family::Gumbel, 3.0, 5.121092927822761e-213, 0.9999999999999996, 0.99931835902593},
    {Family::Gumbel, 2.0779899034975813, 0.5, 0.9999999997671694, 0.99998268172889189},
    {Family::Gumbel, 1.0001, 0.9999999999999992, 0.06, 0.060215329550978817},
    {Family::Gumbel, 1.0001, 0.3, 1e-300, 9.9975046713080185e-301},
    {Family::Gumbel, 50.0, 1e-300, 0.5, 4.8303033205994118e-283},
    {Family::Gumbel, 1.5, 0.999, 2.3283064365386963e-10, 3.0588315270078814e-8},
    {Family::Gumbel, 1.01, 0.9999999967652683, 0.0784197226466139, 0.096166141413517283},
    {Family::Gumbel, 1.000000000001, 0.9999999999999994, 0.6155627045785708, 0.61556270459975059},
    {Family::Frank, -37.3, 0.9993148865046269, 0.9999999999999786, 0.84441402530495969},
    {Family::Frank, -37.3, 0.637255590030616, 0.9999999999999544, 0.99997427499246768},
    {Family::Frank, -37.0, 0.3, 2.3283064365386963e-10, 0.10116897315211531},
    {Family::Frank, -37.0, 0.999, 0.5, 0.01923833231890759},
    {Family::Frank, -1.0, 0.2, 0.9999999997671694, 0.99999999982023756},
    {Family::Frank, 37.0, 0.9, 2.3283064365386963e-10, 0.30052175799449841},
    {Family::Frank, 1e-09, 0.4, 0.3, 0.29999999997899999},
    {Family::Frank, -1e-09, 0.4, 0.3, 0.30000000002099999},
    {Family::Frank, 0.99, 0.7, 1e-12, 1.2693552001805629e-12},
};

TEST(Copulas, InversesKeepTheirDigitsAtTheEnds) {
  for (const auto& c : kEndCases) {
    EXPECT_NEAR(BaseHInverse(c.family, c.t, c.u, c.p), c.inverse, 1e-10 * c.inverse)
        << "family " << static_cast<int>(c.family) << " p " << c.p << " u " << c.u << " t " << c.t;
  }
}

// The Gumbel inverse over a grid of parameters and arguments, against the
// h-function in 64-bit long double arithmetic, in its reduced form
// -ln h(v | u) = x (e^mu - 1) + (q - 1) mu with x = -ln u, y = -ln v and
// mu = ln(1 + (y/x)^q) / q, which keeps its digits for t and v near 1.
long double GumbelMinusLogH(long double v, long double u, long double q, long double& mu) {
  if (v >= 1.0L) {
    mu = 0.0L;
    return 0.0L;
  }
  const long double x = -std::log(u), y = -std::log(v);
  mu = std::log1p(std::exp(q * (std::log(y) - std::log(x)))) / q;
  return x * std::expm1(mu) + (q - 1.0L) * mu;
}

// The stated tolerance is a backward one, as no fixed bound on h(v) - t can
// be (near t = 1 and v = 1 the doubles around v differ in h by far more than
// the error): -ln t lies between the values at the two points whose ln v
// differs from that of the returned v by 8 units of 2^-53 in
// max(1, y (1 + mu)). So v is within 8 ulps where y is small, y within
// 8 ulps relative where it is large, and mu, which carries w = x e^mu,
// within 8 ulps.
TEST(Copulas, GumbelInverseInvertsTheHFunctionOverAGrid) {
  const double qs[] = {1.0001, 1.05, 1.3, 2.0, 5.0, 20.0, 100.0};
  const double us[] = {1e-12, 1e-6, 0.01, 0.3, 0.5, 0.9, 1.0 - 1e-9};
  const double ts[] = {1e-12, 1e-6, 0.02, 0.5, 0.98, 1.0 - 1e-9};
  for (double q : qs) {
    for (double u : us) {
      for (double t : ts) {
        SCOPED_TRACE(testing::Message() << "q " << q << " u " << u << " t " << t);
        const double v = GumbelHInverse(t, u, q);
        ASSERT_GT(v, 0.0);
        ASSERT_LE(v, 1.0);
        long double mu = 0.0L, unused = 0.0L;
        GumbelMinusLogH(v, u, q, mu);
        const long double y = -std::log(static_cast<long double>(v));
        const long double reach = 8.0L * 0x1p-53L * std::max(1.0L, y * (1.0L + mu));
        const long double T = -std::log(static_cast<long double>(t));
        const long double slack = 0x1p-60L * T;  // the long double evaluation
        EXPECT_LE(GumbelMinusLogH(std::min(1.0L, v * std::exp(reach)), u, q, unused), T + slack);
        EXPECT_GE(GumbelMinusLogH(v * std::exp(-reach), u, q, unused), T - slack);
        // The bracketed root finder (tolerance 1e-6 on v), where its search
        // ends on the root: its stale derivative lets it stop early elsewhere.
        const double bracketed = GumbelHInverseBracketed(t, u, q);
        if (std::fabs(GumbelH(bracketed, u, q) - t) <= 1e-5 * std::min(t, 1.0 - t)) {
          EXPECT_NEAR(bracketed, v, 2e-6);
        }
      }
    }
  }
}

// The diagonal band of signed half-width w as a uniform on [c - |w|, c + |w|]
// (c = u, or 1 - u for w < 0) reflected at 0 and 1: h and its inverse
// computed independently from that picture.
struct TBandCase {
  double w, u, x;
  double h, inverse;
};

const TBandCase kBandCases[] = {
    {0.3, 0.1, 0.05, 0.16666666666666669, 0.014999999999999999},
    {0.3, 0.1, 0.4, 1, 0.12},
    {0.3, 0.1, 0.9, 1, 0.33999999999999997},
    {0.3, 0.5, 0.05, 0, 0.22999999999999998},
    {0.3, 0.5, 0.4, 0.33333333333333337, 0.43999999999999995},
    {0.3, 0.5, 0.9, 1.0000000000000002, 0.73999999999999999},
    {0.3, 0.85, 0.05, 0, 0.58000000000000007},
    {0.3, 0.85, 0.4, 0, 0.79000000000000004},
    {0.3, 0.85, 0.9, 0.66666666666666641, 0.96999999999999997},
    {0.7, 0.1, 0.05, 0.071428571428571438, 0.035000000000000003},
    {0.7, 0.1, 0.4, 0.57142857142857151, 0.28000000000000003},
    {0.7, 0.1, 0.9, 1, 0.65999999999999992},
    {0.7, 0.5, 0.05, 0.071428571428571438, 0.035000000000000003},
    {0.7, 0.5, 0.4, 0.4285714285714286, 0.35999999999999999},
    {0.7, 0.5, 0.9, 0.85714285714285721, 0.92999999999999994},
    {0.7, 0.85, 0.05, 0, 0.22000000000000003},
    {0.7, 0.85, 0.4, 0.17857142857142858, 0.58000000000000007},
    {0.7, 0.85, 0.9, 0.85714285714285698, 0.92999999999999994},
    {-0.3, 0.1, 0.05, 0, 0.63000000000000012},
    {-0.3, 0.1, 0.4, 0, 0.82000000000000006},
    {-0.3, 0.1, 0.9, 0.66666666666666641, 0.96999999999999997},
    {-0.3, 0.5, 0.05, 0, 0.22999999999999998},
    {-0.3, 0.5, 0.4, 0.33333333333333337, 0.43999999999999995},
    {-0.3, 0.5, 0.9, 1.0000000000000002, 0.73999999999999999},
    {-0.3, 0.85, 0.05, 0.16666666666666669, 0.014999999999999999},
    {-0.3, 0.85, 0.4, 0.91666666666666674, 0.12},
    {-0.3, 0.85, 0.9, 1, 0.39000000000000001},
    {-0.7, 0.1, 0.05, 0, 0.27000000000000002},
    {-0.7, 0.1, 0.4, 0.14285714285714282, 0.57999999999999985},
    {-0.7, 0.1, 0.9, 0.85714285714285721, 0.92999999999999994},
    {-0.7, 0.5, 0.05, 0.071428571428571438, 0.035000000000000003},
    {-0.7, 0.5, 0.4, 0.4285714285714286, 0.35999999999999999},
    {-0.7, 0.5, 0.9, 0.85714285714285721, 0.92999999999999994},
    {-0.7, 0.85, 0.05, 0.071428571428571438, 0.035000000000000003},
    {-0.7, 0.85, 0.4, 0.57142857142857151, 0.28000000000000003},
    {-0.7, 0.85, 0.9, 1, 0.70999999999999996},
};

TEST(Copulas, DiagonalBandIsTheReflectedUniform) {
  for (const auto& c : kBandCases) {
    SCOPED_TRACE(testing::Message() << "w " << c.w << " u " << c.u << " x " << c.x);
    EXPECT_NEAR(ConditionalCdf(CopulaDiagonalBand, c.w, c.u, c.x), c.h, 1e-14);
    EXPECT_NEAR(ConditionalInverse(CopulaDiagonalBand, c.w, c.u, c.x), c.inverse, 1e-14);
  }
}

// Every type with a conditional distribution: h(h^-1(t | u) | u) = t.
TEST(Copulas, ConditionalCdfInvertsConditionalInverse) {
  const int types[] = {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const double rs[] = {-0.95, -0.7, -0.3, -0.05, 0.05, 0.3, 0.7, 0.95};
  const double grid[] = {0.001, 0.013, 0.1, 0.27, 0.5, 0.64, 0.9, 0.987, 0.999};
  for (int type : types) {
    // The normal type rests on fitted normal functions; the others are exact.
    const double tol = type == CopulaNormal ? 2e-6 : 1e-9;
    for (double r : rs) {
      const double p = CopulaParameter(type, r);
      for (double u : grid) {
        for (double t : grid) {
          const double v = ConditionalInverse(type, p, u, t);
          ASSERT_GE(v, 0.0);
          ASSERT_LE(v, 1.0);
          if (type == CopulaFrank && std::fabs(p) > 37.35) continue;  // v = u or 1 - u
          EXPECT_NEAR(ConditionalCdf(type, p, u, v), t, tol)
              << "type " << type << " r " << r << " u " << u << " t " << t;
        }
      }
    }
  }
  EXPECT_FALSE(CopulaFaultPending());
}

TEST(Copulas, ParameterMaps) {
  // Values of the fits computed independently.
  EXPECT_NEAR(ClaytonThetaFromRank(0.7), 2.155599380889671, 1e-12);
  EXPECT_NEAR(ClaytonThetaFromRank(-0.7), -2.155599380889671, 1e-12);
  EXPECT_NEAR(GumbelThetaFromRank(0.7), 2.0779899034975813, 1e-12);
  EXPECT_NEAR(GumbelThetaFromRank(-0.7), -2.0779899034975813, 1e-12);
  EXPECT_NEAR(FrankThetaFromRank(0.7), 5.8334706006303305, 1e-12);
  EXPECT_NEAR(BandWidthFromRank(0.7), 0.43828867326449156, 1e-12);
  EXPECT_NEAR(BandWidthFromRank(-0.7), -0.43828867326449156, 1e-12);
  EXPECT_NEAR(NormalRhoFromRank(0.5), 2 * std::sin(M_PI / 12), 1e-15);
  // Neutral values at r = 0 and the ends of the band.
  EXPECT_EQ(ClaytonThetaFromRank(0.0), 0.0);
  EXPECT_EQ(GumbelThetaFromRank(0.0), 1.0);
  EXPECT_EQ(FrankThetaFromRank(0.0), 0.0);
  EXPECT_EQ(BandWidthFromRank(0.0), 1.0);
  EXPECT_EQ(BandWidthFromRank(1.0), 0.0);
  EXPECT_EQ(BandWidthFromRank(-1.0), -2.0);
  // A tiny nonzero r: the Clayton fit stays near 0.0712, the Gumbel fit below 1 gives 1.
  EXPECT_NEAR(ClaytonThetaFromRank(1e-9), 0.071153, 1e-5);
  EXPECT_NEAR(ClaytonThetaFromRank(-1e-9), -0.071153, 1e-5);
  EXPECT_EQ(GumbelThetaFromRank(0.01), 1.0);
  EXPECT_EQ(GumbelThetaFromRank(-0.01), 1.0);
  // The Frank fit's poles near 0.0698 and 0.1127 are bridged: theta stays
  // close to the exact inverse of the Frank rank correlation (from Debye functions).
  const struct {
    double r, theta;
  } frank[] = {{0.065, 0.39076},   {0.0698, 0.419783},  {0.06983, 0.419964},
               {0.1127, 0.680362}, {0.11253, 0.679323}, {0.13, 0.785979}};
  for (const auto& f : frank) {
    EXPECT_NEAR(FrankThetaFromRank(f.r), f.theta, 2e-3 * f.theta) << f.r;
    EXPECT_NEAR(FrankThetaFromRank(-f.r), -f.theta, 2e-3 * f.theta) << f.r;
  }
  double previous = 0.0;
  for (int i = 1; i <= 1000; ++i) {
    const double theta = FrankThetaFromRank(i / 1000.0);
    EXPECT_GT(theta, previous) << i;
    previous = theta;
  }
  EXPECT_EQ(CopulaParameter(2, 0.4), 0.4);
  EXPECT_EQ(CopulaParameter(3, 0.4), 0.4);
  EXPECT_EQ(CopulaParameter(13, 0.4), 0.0);
}

TEST(Copulas, IndependenceAndLimitsOverAGridOfValues) {
  const double us[] = {0.0, 0.2, 0.5, 0.93, 1.0};
  const double ts[] = {0.0, 0.1, 0.45, 0.8, 1.0};
  for (double u : us) {
    for (double t : ts) {
      // r = 0: independence.
      for (int type : {0, 1, 5, 6, 7, 8, 9, 10, 11, 12})
        EXPECT_EQ(ConditionalInverseFromRank(type, 0.0, u, t), t) << type;
      if (u > 0.0 && u < 1.0) {
        EXPECT_NEAR(ConditionalInverseFromRank(CopulaNormal, 0.0, u, t), t, 1e-7);
      }
      EXPECT_DOUBLE_EQ(ConditionalInverseFromRank(CopulaElliptical, 0.0, u, t),
                       std::sqrt(0.25 - (u - 0.5) * (u - 0.5)) * std::sin(M_PI * (t - 0.5)) + 0.5);
      // The band at r = +1 and -1.
      EXPECT_EQ(ConditionalInverseFromRank(CopulaDiagonalBand, 1.0, u, t), u);
      EXPECT_EQ(ConditionalInverseFromRank(CopulaDiagonalBand, -1.0, u, t), 1.0 - u);
      // A huge Frank parameter: v = u or 1 - u, whatever t (except t = 0).
      if (t > 0.0) {
        EXPECT_EQ(FrankHInverse(t, u, 1e6), u);
        EXPECT_EQ(FrankHInverse(t, u, 37.36), u);
        EXPECT_EQ(FrankHInverse(t, u, -1e6), 1.0 - u);
      }
    }
  }
  EXPECT_FALSE(CopulaFaultPending());
}

TEST(Copulas, BandFrankAndGumbelLimits) {
  // The band's conditional distribution uses the same width rule at r = -1:
  // all mass at v = 1 - u.
  EXPECT_EQ(ConditionalCdf(CopulaDiagonalBand, BandWidthFromRank(-1.0), 0.3, 0.69), 0.0);
  EXPECT_EQ(ConditionalCdf(CopulaDiagonalBand, BandWidthFromRank(-1.0), 0.3, 0.7), 1.0);
  EXPECT_EQ(ConditionalCdf(CopulaDiagonalBand, BandWidthFromRank(1.0), 0.3, 0.3), 1.0);
  EXPECT_EQ(ConditionalCdf(CopulaDiagonalBand, BandWidthFromRank(1.0), 0.3, 0.29), 0.0);
  // Frank: t above 1 is 1, theta 0 is independence, a huge theta in h needs no overflow.
  EXPECT_EQ(FrankHInverse(1.5, 0.3, 2.0), 1.0);
  EXPECT_NEAR(FrankH(0.4, 0.3, 800.0), 1.0, 1e-12);
  EXPECT_NEAR(FrankH(0.2, 0.3, 800.0), 0.0, 1e-12);
  EXPECT_NEAR(FrankH(0.2, 0.3, -800.0), 0.0, 1e-12);
  EXPECT_NEAR(FrankH(0.8, 0.3, -800.0), 1.0, 1e-12);
  // Gumbel: p = 1 and p = -1 are independence; -1 < p < 1 is no Gumbel parameter.
  for (int type = CopulaGumbel; type <= kLastCopula; ++type) {
    EXPECT_EQ(ConditionalInverse(type, 1.0, 0.3, 0.6), 0.6);
    EXPECT_EQ(ConditionalInverse(type, -1.0, 0.3, 0.6), 0.6);
    EXPECT_EQ(ConditionalCdf(type, -1.0, 0.3, 0.6), 0.6);
    EXPECT_EQ(ConditionalInverse(type, 0.5, 0.3, 0.6), 0.0);
    EXPECT_EQ(ConditionalCdf(type, -0.5, 0.3, 0.6), 0.0);
  }
  // A turned variant whose turned conditioning value is 0 returns t.
  EXPECT_EQ(GumbelHInverse(0.6, 0.0, 3.0), 0.6);
  EXPECT_EQ(GumbelH(0.6, 0.0, 3.0), 0.6);
  EXPECT_EQ(ConditionalInverse(10, 3.0, 1.0, 0.6), 0.6);  // survival: base u = 0
  EXPECT_FALSE(CopulaFaultPending());
}

TEST(Copulas, NormalAndEllipticalEnds) {
  // Normal quantile ends and their effect on a child.
  EXPECT_EQ(NormalQuantile(0.0, 5.0, 2.0), -3.4 * static_cast<double>(1e38f));
  EXPECT_EQ(NormalQuantile(1.0, 5.0, 2.0), 3.4 * static_cast<double>(1e38f));
  const double rhoPos = NormalRhoFromRank(0.7), rhoNeg = NormalRhoFromRank(-0.7);
  EXPECT_EQ(ConditionalInverse(CopulaNormal, rhoPos, 0.0, 0.5), 0.0);
  EXPECT_EQ(ConditionalInverse(CopulaNormal, rhoNeg, 0.0, 0.5), 1.0);
  EXPECT_EQ(ConditionalInverse(CopulaNormal, rhoPos, 1.0, 0.5), 1.0);
  EXPECT_EQ(ConditionalInverse(CopulaNormal, rhoNeg, 1.0, 0.5), 0.0);
  // Normal helpers against exact values.
  EXPECT_NEAR(NormalCdf(1.0, 0.0, 1.0), 0.8413447460685429, 2e-7);
  EXPECT_NEAR(NormalCdf(-2.5, 1.0, 2.0), 0.040059156863817086, 2e-8);
  EXPECT_NEAR(Erfc(0.5), 0.4795001221869535, 1e-7);
  EXPECT_NEAR(Erfc(-1.2), 1.9103139782296354, 1e-7);
  EXPECT_NEAR(NormalQuantile(0.975, 0.0, 1.0), 1.959963984540054, 3e-9);
  EXPECT_NEAR(NormalQuantile(0.01, 0.0, 1.0), -2.3263478740408408, 3e-9);
  EXPECT_NEAR(NormalQuantile(0.999, 10.0, 3.0), 10.0 + 3.0 * 3.090232306167813, 1e-8);
  // Elliptical: u = 0 or 1 gives v = rho (u - 0.5) + 0.5.
  EXPECT_DOUBLE_EQ(EllipticalHInverse(0.3, 0.0, 0.6), 0.2);
  EXPECT_DOUBLE_EQ(EllipticalHInverse(0.3, 1.0, 0.6), 0.8);
  EXPECT_EQ(EllipticalH(1.0, 0.5, 0.0), 0.9999);
  EXPECT_EQ(EllipticalH(0.0, 0.5, 0.0), 0.0001);
  EXPECT_FALSE(CopulaFaultPending());
}

TEST(Copulas, UnknownCodesAndTAtItsEnds) {
  // Codes outside 0..12 and the conditional distributions of types 2.
  EXPECT_EQ(ConditionalInverse(13, 0.5, 0.3, 0.6), 0.0);
  EXPECT_EQ(ConditionalInverse(-1, 0.5, 0.3, 0.6), 0.0);
  EXPECT_EQ(ConditionalCdf(kLastCopula + 1, 0.5, 0.3, 0.6), 0.0);
  EXPECT_EQ(ConditionalCdf(CopulaMinimumInformation, 0.5, 0.3, 0.6), 0.0);
  // Clayton and Gumbel variants return t exactly 0 or 1 unchanged.
  for (int type = CopulaClayton; type <= kLastCopula; ++type) {
    const double p = CopulaParameter(type, -0.6);
    EXPECT_EQ(ConditionalInverse(type, p, 0.4, 0.0), 0.0);
    EXPECT_EQ(ConditionalInverse(type, p, 0.4, 1.0), 1.0);
    EXPECT_EQ(ConditionalCdf(type, p, 0.4, 0.0), 0.0);
    EXPECT_EQ(ConditionalCdf(type, p, 0.4, 1.0), 1.0);
  }
  EXPECT_FALSE(CopulaFaultPending());
}

TEST(Copulas, FaultsOfTheConditionalCdfAreReported) {
  ClearCopulaFault();
  const struct {
    int type;
    double p, u, v;
    const char* message;
  } cases[] = {
      {CopulaElliptical, 0.5, 0.0, 0.3,
       "Zero divide detected in function FF_ell(r, x1, x2), assigned value is    0.10"},
      {CopulaElliptical, 1.0, 0.5, 0.5,
       "Invalid floating point operation detected in function FF_ell(r, x1, x2), assigned value "
       "is    0.10"},
      {CopulaElliptical, 1.5, 0.5, 0.5,
       "Invalid floating point operation detected in function FF_ell(r, x1, x2), assigned value "
       "is    0.10"},
      {CopulaFrank, std::nan(""), 0.5, 0.5,
       "Invalid floating point operation detected in function FF_frank(r, x1, x2), assigned value "
       "is    0.10"},
      {CopulaDiagonalBand, 0.3, std::nan(""), 0.5,
       "Invalid floating point operation detected in function FF_db(r, x1, x2), assigned value "
       "is    0.10"},
      {7, 2.0, 0.5, std::nan(""),
       "Invalid floating point operation detected in function FF_(r, x1, x2), assigned value "
       "is    0.10"},
  };
  for (const auto& c : cases) {
    ClearCopulaFault();
    EXPECT_EQ(ConditionalCdf(c.type, c.p, c.u, c.v), kCopulaFault);
    EXPECT_TRUE(CopulaFaultPending());
    EXPECT_STREQ(CopulaFaultMessage(), c.message);
  }
  ClearCopulaFault();
  EXPECT_FALSE(CopulaFaultPending());
  EXPECT_STREQ(CopulaFaultMessage(), "");
  // Nothing returns NaN: a sweep over awkward arguments of every type.
  const double awkward[] = {0.0, 1e-300, 1e-17, 0.5, 1.0 - 1e-16, 1.0};
  for (int type = CopulaFrank; type <= kLastCopula; ++type) {
    if (type == CopulaMinimumInformation) continue;
    for (double r : {-1.0, -0.999, -0.5, 0.5, 0.999, 1.0}) {
      const double p = CopulaParameter(type, r);
      for (double u : awkward)
        for (double x : awkward) {
          EXPECT_FALSE(std::isnan(ConditionalInverse(type, p, u, x))) << type << " " << r;
          EXPECT_FALSE(std::isnan(ConditionalCdf(type, p, u, x))) << type << " " << r;
        }
    }
  }
  ClearCopulaFault();
}

double Square(double x) { return x * x - 0.3; }
double SquareSlope(double x, const double*) { return 2.0 * x; }
double SquareF(double x, const double*) { return Square(x); }
double Shifted(double x, const double* params) { return x - params[0]; }
double One(double, const double*) { return 1.0; }

TEST(Copulas, BracketedRootFinder) {
  double root = -1.0;
  ASSERT_TRUE(FindRootSafe(SquareF, SquareSlope, nullptr, 0.0, 1.0, 1e-9, root));
  EXPECT_NEAR(root, std::sqrt(0.3), 1e-8);
  // f(0) and f(1) of the same sign, or a root exactly at an end: no search.
  const double far[1] = {2.0};
  EXPECT_FALSE(FindRootSafe(Shifted, One, far, 0.0, 1.0, 1e-6, root));
  const double atEnd[1] = {1.0};
  EXPECT_FALSE(FindRootSafe(Shifted, One, atEnd, 0.0, 1.0, 1e-6, root));
  const double inside[1] = {0.123};
  ASSERT_TRUE(FindRootSafe(Shifted, One, inside, 0.0, 1.0, 1e-6, root));
  EXPECT_NEAR(root, 0.123, 1e-6);
  // The Gumbel inverse by the root finder returns t when the search fails (u = 0).
  EXPECT_EQ(GumbelHInverseBracketed(0.4, 0.0, 2.0), 0.4);
  // Its derivative is the Gumbel density, the slope of h in v.
  EXPECT_NEAR(GumbelCopulaCdf(0.3, 0.6, 2.5), 0.28405945926662945, 1e-15);
  for (double v : {0.1, 0.45, 0.8}) {
    const double d = 1e-6;
    const double slope = (GumbelH(v + d, 0.3, 2.5) - GumbelH(v - d, 0.3, 2.5)) / (2 * d);
    EXPECT_NEAR(GumbelDensity(v, 0.3, 2.5), slope, 1e-6 * std::max(1.0, slope)) << v;
  }
  EXPECT_EQ(GumbelDensity(0.4, 0.3, 1.0), 0.0);
}

// ---- sampling ---------------------------------------------------------------------------

std::vector<double> Ranks(const std::vector<double>& x) {
  std::vector<int> order(x.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return x[a] < x[b]; });
  std::vector<double> rank(x.size());
  for (size_t i = 0; i < order.size();) {
    size_t j = i;
    while (j + 1 < order.size() && x[order[j + 1]] == x[order[i]]) ++j;
    for (size_t k = i; k <= j; ++k)
      rank[order[k]] = 0.5 * (i + j) + 1.0;  // ties share the mean rank
    i = j + 1;
  }
  return rank;
}

double Spearman(const std::vector<double>& x, const std::vector<double>& y) {
  const auto rx = Ranks(x), ry = Ranks(y);
  const double n = static_cast<double>(x.size()), mean = (n + 1) / 2;
  double sxy = 0, sxx = 0, syy = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    sxy += (rx[i] - mean) * (ry[i] - mean);
    sxx += (rx[i] - mean) * (rx[i] - mean);
    syy += (ry[i] - mean) * (ry[i] - mean);
  }
  return sxy / std::sqrt(sxx * syy);
}

// Exact Spearman rank correlation of each type's copula at the parameter its
// fit gives for r = 0.7, computed independently (by integrating the copula,
// from Debye functions for Frank, from the mixing row for minimum information).
double ExactSpearmanAt07(int type) {
  switch (type) {
    case CopulaFrank: return 0.7007564864212894;
    case CopulaMinimumInformation: return 0.699999647965;
    case CopulaDiagonalBand:
    case CopulaElliptical:
    case CopulaNormal: return 0.7;
    default: return type <= 8 ? 0.7028984492644961 : 0.7032190676753389;
  }
}

constexpr int kPairs = 40000;

struct TSample {
  std::vector<double> u, v;
};

TSample Draw(int type, double r, int32_t seed) {
  int32_t idum = -seed;
  NextUniform(idum);
  const double p = CopulaParameter(type, r);
  TSample s;
  s.u.resize(kPairs);
  s.v.resize(kPairs);
  for (int i = 0; i < kPairs; ++i) {
    s.u[i] = NextUniform(idum);
    const double t = NextUniform(idum);
    s.v[i] = ConditionalInverse(type, p, s.u[i], t);
  }
  return s;
}

// With n pairs the sample Spearman coefficient has a standard deviation of
// about (1 - rho^2) / sqrt(n) (0.0026 at rho = 0.7, n = 40000); the tolerance is
// five of those.
TEST(Copulas, SamplingReachesTheRankCorrelationOfTheParameter) {
  CopulaGrid = 20;
  for (int type = CopulaFrank; type <= kLastCopula; ++type) {
    for (double r : {0.7, -0.7}) {
      const double expected = (r > 0 ? 1 : -1) * ExactSpearmanAt07(type);
      const double tol = 5.0 * (1.0 - expected * expected) / std::sqrt(double(kPairs));
      const TSample s = Draw(type, r, 1234 + type);
      EXPECT_NEAR(Spearman(s.u, s.v), expected, tol) << "type " << type << " r " << r;
      // The child is uniform: its mean and the fraction below 0.1.
      const double mean = std::accumulate(s.v.begin(), s.v.end(), 0.0) / kPairs;
      EXPECT_NEAR(mean, 0.5, 5 * std::sqrt(1.0 / 12 / kPairs)) << "type " << type;
      const double low = std::count_if(s.v.begin(), s.v.end(), [](double x) { return x < 0.1; });
      EXPECT_NEAR(low / kPairs, 0.1, 5 * std::sqrt(0.09 / kPairs)) << "type " << type;
    }
  }
}

// Tail dependence: the corner squares of side s = 0.01 around (0,0), (0,1),
// (1,0) and (1,1). With tail dependence lambda a corner holds about lambda s of
// the pairs (lambda is 0.73 for this Clayton and 0.60 for this Gumbel: about
// 290 and 240 pairs); the opposite corner of a Gumbel holds s^(2^(1/theta)),
// about 64 pairs, that of a Clayton only a few.
TEST(Copulas, ClaytonAndGumbelVariantsPutTheirTailsInTheirCorners) {
  enum Corner { LowLow, LowHigh, HighLow, HighHigh };
  const struct {
    int type;
    Corner positive, negative;
  } cases[] = {
      {5, LowLow, LowHigh},    {6, HighHigh, HighLow}, {7, LowLow, HighLow},
      {8, HighHigh, LowHigh},  {9, HighHigh, HighLow}, {10, LowLow, LowHigh},
      {11, HighHigh, LowHigh}, {12, LowLow, HighLow},
  };
  for (const auto& c : cases) {
    for (double r : {0.7, -0.7}) {
      const TSample s = Draw(c.type, r, 77);
      int count[4] = {0, 0, 0, 0};
      for (int i = 0; i < kPairs; ++i) {
        const bool uLow = s.u[i]<0.01, uHigh = s.u[i]> 0.99;
        const bool vLow = s.v[i]<0.01, vHigh = s.v[i]> 0.99;
        if (uLow && vLow) ++count[LowLow];
        if (uLow && vHigh) ++count[LowHigh];
        if (uHigh && vLow) ++count[HighLow];
        if (uHigh && vHigh) ++count[HighHigh];
      }
      const Corner tail = r > 0 ? c.positive : c.negative;
      const Corner opposite = static_cast<Corner>(3 - tail);
      SCOPED_TRACE(testing::Message() << "type " << c.type << " r " << r << " counts " << count[0]
                                      << " " << count[1] << " " << count[2] << " " << count[3]);
      EXPECT_GT(count[tail], 2 * count[opposite] + 40);
      EXPECT_GT(count[tail], 150);
    }
  }
}

}  // namespace
}  // namespace tesmira
